#include "requests.h"

#include "messagevariant.h"

namespace protocol {

using fields::put;

namespace {

// The command word and the seat, in a buffer that holds a typical message whole.
QByteArray begin(const char *command, int seat)
{
    QByteArray out;
    out.reserve(128);
    out.append(command);
    put(out, seat);
    return out;
}

} // namespace

LoginInfo LoginInfo::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    LoginInfo m;
    m.seat = cursor.takeInt();
    m.version = cursor.take();
    m.name = cursor.takeRest();
    return m;
}

QByteArray LoginInfo::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, version);
    put(out, name);
    return out;
}

KickHim KickHim::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    KickHim m;
    m.seat = cursor.takeInt();
    m.target = cursor.takeInt();
    return m;
}

QByteArray KickHim::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, target);
    return out + Separator;
}

BotSpeed BotSpeed::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    BotSpeed m;
    m.seat = cursor.takeInt();
    m.milliseconds = cursor.takeInt();
    return m;
}

QByteArray BotSpeed::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, milliseconds);
    return out + Separator;
}

ChatRequest ChatRequest::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    ChatRequest m;
    m.seat = cursor.takeInt();
    m.payload = cursor.takeRest();
    return m;
}

QByteArray ChatRequest::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, payload);
    return out;
}

ActionRequest ActionRequest::parse(const QByteArray &body)
{
    const ChatRequest same = ChatRequest::parse(body);
    return {same.seat, same.payload};
}

QByteArray ActionRequest::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, payload);
    return out;
}

StartGame StartGame::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    StartGame m;
    m.name = cursor.take();
    for (QByteArray &setting : m.settings)
        setting = cursor.take();
    return m;
}

QByteArray StartGame::build() const
{
    QByteArray out(Command);
    put(out, name);
    for (const QByteArray &setting : settings)
        put(out, setting);
    return out + Separator;
}

JustWatch JustWatch::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    JustWatch m;
    m.seat = cursor.takeInt();
    const QByteArray mode = cursor.takeRest();
    if (mode == "1")
        m.mode = WatchMode::ComputerPlays;
    else if (mode == "2")
        m.mode = WatchMode::PlayerPlays;
    else
        throw ProtocolError("unknown watch mode");
    return m;
}

QByteArray JustWatch::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, fields::watchModeText(mode));
    return out;
}

RollTheDice RollTheDice::parse(const QByteArray &body)
{
    const qsizetype plus = body.indexOf(Separator);
    RollTheDice m;
    if (plus < 0) {
        m.seat = toInt(body);
        return m;
    }
    m.seat = toInt(body.left(plus));
    const QByteArrayView rest = QByteArrayView(body).sliced(plus + 1);
    if (rest.isEmpty() || rest == "none")
        throw ProtocolError("a roll that lists no dice");
    m.dice = fields::takeRequestDice(rest);
    return m;
}

QByteArray RollTheDice::build() const
{
    QByteArray out = begin(Command, seat);
    for (const int die : dice)
        put(out, die);
    return out;
}

AllDone AllDone::parse(const QByteArray &body)
{
    const qsizetype plus = body.indexOf(Separator);
    AllDone m;
    m.seat = toInt(plus < 0 ? body : body.left(plus));
    m.dice = fields::takeRequestDice(plus < 0 ? QByteArrayView() : QByteArrayView(body).sliced(plus + 1));
    return m;
}

QByteArray AllDone::build() const
{
    QByteArray out = begin(Command, seat);
    fields::putDieList(out, dice);
    return out;
}

PlaySoundRequest PlaySoundRequest::wave(int seat, int k)
{
    return {seat, "wave" + QByteArray::number(k) + Separator};
}

PlaySoundRequest PlaySoundRequest::parse(const QByteArray &body)
{
    FieldCursor cursor(body);
    PlaySoundRequest m;
    m.seat = cursor.takeInt();
    m.tail = cursor.takeRest();
    return m;
}

QByteArray PlaySoundRequest::build() const
{
    QByteArray out = begin(Command, seat);
    put(out, tail);
    return out;
}

std::optional<Request> parseRequest(const QByteArray &line)
{
    return parseLine<Request>(line);
}

QByteArray buildRequest(const Request &request)
{
    return buildAlternative(request);
}

} // namespace protocol
