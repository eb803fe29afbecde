// The first messages on a connection to a table server: what the connection asks for
// (open a new table, or join one by its code) and the server's answers before the table's
// own messages begin. A table's game then runs with the messages of requests.h and
// announcements.h (a full table answers CMD_full, a seat CMD_sendlogininfo).
#pragma once

#include <QByteArray>
#include <optional>
#include <variant>

namespace protocol {

// The longest first message a table server reads, terminator included.
inline constexpr qsizetype MaxPreambleBytes = 64;

// "Open a new table; I am its entry 1."
struct OpenTable
{
    static constexpr char Command[] = "CMD_opentable";

    static OpenTable parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const OpenTable &) const = default;
};

// "Seat me at the table with this code." The code as sent (any case, dash or not).
struct JoinTable
{
    static constexpr char Command[] = "CMD_jointable";
    QByteArray code;

    static JoinTable parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const JoinTable &) const = default;
};

// The new table's code, eight characters without a dash.
struct TableOpened
{
    static constexpr char Command[] = "CMD_tableopened";
    QByteArray code;

    static TableOpened parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const TableOpened &) const = default;
};

// No open table has this code (the code as it was received).
struct NoTable
{
    static constexpr char Command[] = "CMD_notable";
    QByteArray code;

    static NoTable parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const NoTable &) const = default;
};

// The code belongs to another server: its address as "host:port" or "[v6]:port".
struct TableAt
{
    static constexpr char Command[] = "CMD_tableat";
    QByteArray address;

    static TableAt parse(const QByteArray &body);
    QByteArray build() const;
    bool operator==(const TableAt &) const = default;
};

using TableRequest = std::variant<OpenTable, JoinTable>;
using TableAnswer = std::variant<TableOpened, NoTable, TableAt>;

// The first message of a connection (without its terminator); nullopt for anything else.
std::optional<TableRequest> parseTableRequest(const QByteArray &line);
// A server's answer before the table's messages; nullopt for any other message.
std::optional<TableAnswer> parseTableAnswer(const QByteArray &line);

} // namespace protocol
