// Building and reading game protocol messages.
//
// Wire grammar (bytes; 0xFF never occurs inside a message):
//   frame    = message 0xFF
//   message  = command *( "+" field )
//   command  = "CMD_" lower-case word
//   field    = any bytes but "+" and 0xFF; the last field of a message may contain "+"
//   dielist  = 1*( "+" dienumber ) | "+none"          (CMD_rollthedice: may be empty)
//   triples  = 1*( "+" a "+" b "+" c )
// Numbers are decimal text without sign, padding or leading zeros.
#pragma once

#include <QByteArray>
#include <QList>
#include <stdexcept>
#include <utility>

namespace protocol {

inline constexpr char Terminator = char(0xFF);
inline constexpr char Separator = '+';

// A field that should be a number is not one, or a required field is missing.
class ProtocolError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The message followed by its terminator, ready for TSock::Send.
QByteArray frame(const QByteArray &message);

// Splits a received line at its first "+": {command, rest}. A line without "+" has an
// empty command (and is ignored by both sides).
std::pair<QByteArray, QByteArray> splitCommand(const QByteArray &line);

// Reads fields from the front of a message's rest, deleting each with its "+".
class FieldCursor
{
public:
    explicit FieldCursor(QByteArray rest);

    // The text before the next "+", or everything left when no "+" remains.
    QByteArray take();
    // take() read as a decimal integer; throws ProtocolError when it is not one.
    int takeInt();
    // Everything left (free text, "+" included); the cursor is empty afterwards.
    QByteArray takeRest();
    // The fields of a list, read with the "+@" sentinel until only "@" remains.
    QList<QByteArray> takeList();
    // A die list: "none" gives an empty list; each element must be a die number 1 to 10,
    // otherwise ProtocolError.
    QList<int> takeDieList();

    const QByteArray &rest() const { return m_rest; }
    bool hasSeparator() const { return m_rest.contains(Separator); }

private:
    QByteArray m_rest;
};

// Decimal text to integer: optional leading '-', digits only, fits in int; else ProtocolError.
int toInt(const QByteArray &text);

} // namespace protocol
