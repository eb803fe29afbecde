#include "tablepreamble.h"

#include "messagevariant.h"

namespace protocol {

namespace {

QByteArray withField(const char *command, const QByteArray &field)
{
    return QByteArray(command) + Separator + field;
}

// The whole rest as one field: a code or an address holds no "+".
QByteArray singleField(const QByteArray &body)
{
    if (body.isEmpty() || body.contains(Separator))
        throw ProtocolError("expected one non-empty field");
    return body;
}

// The alternative whose command word the line has, read from its rest; nullopt for any
// other line and for a malformed rest. Each alternative is stored as it is read (no variant
// is returned out of the try block, which GCC's sanitizer build misreads as uninitialized).
template <typename Variant, typename First, typename... Rest>
void readAlternative(std::optional<Variant> &into, const QByteArray &command, const QByteArray &rest)
{
    if (command == First::Command) {
        try {
            into.emplace(First::parse(rest));
        } catch (const ProtocolError &) {
            into.reset();
        }
        return;
    }
    if constexpr (sizeof...(Rest) > 0)
        readAlternative<Variant, Rest...>(into, command, rest);
}

template <typename... Alternatives>
std::optional<std::variant<Alternatives...>> parseQuietly(const QByteArray &line, std::variant<Alternatives...> *)
{
    std::optional<std::variant<Alternatives...>> parsed;
    const auto [command, rest] = splitCommand(line);
    if (!command.isEmpty())
        readAlternative<std::variant<Alternatives...>, Alternatives...>(parsed, command, rest);
    return parsed;
}

} // namespace

OpenTable OpenTable::parse(const QByteArray &body)
{
    if (!body.isEmpty())
        throw ProtocolError("CMD_opentable takes no field");
    return {};
}

QByteArray OpenTable::build() const
{
    return QByteArray(Command) + Separator;
}

JoinTable JoinTable::parse(const QByteArray &body)
{
    return {singleField(body)};
}

QByteArray JoinTable::build() const
{
    return withField(Command, code);
}

TableOpened TableOpened::parse(const QByteArray &body)
{
    return {singleField(body)};
}

QByteArray TableOpened::build() const
{
    return withField(Command, code);
}

NoTable NoTable::parse(const QByteArray &body)
{
    return {singleField(body)};
}

QByteArray NoTable::build() const
{
    return withField(Command, code);
}

TableAt TableAt::parse(const QByteArray &body)
{
    return {singleField(body)};
}

QByteArray TableAt::build() const
{
    return withField(Command, address);
}

std::optional<TableRequest> parseTableRequest(const QByteArray &line)
{
    return parseQuietly(line, static_cast<TableRequest *>(nullptr));
}

std::optional<TableAnswer> parseTableAnswer(const QByteArray &line)
{
    return parseQuietly(line, static_cast<TableAnswer *>(nullptr));
}

} // namespace protocol
