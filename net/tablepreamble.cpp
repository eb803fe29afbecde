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

template <typename Variant>
std::optional<Variant> parseQuietly(const QByteArray &line)
{
    try {
        return parseLine<Variant>(line);
    } catch (const ProtocolError &) {
        return std::nullopt;
    }
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
    return parseQuietly<TableRequest>(line);
}

std::optional<TableAnswer> parseTableAnswer(const QByteArray &line)
{
    return parseQuietly<TableAnswer>(line);
}

} // namespace protocol
