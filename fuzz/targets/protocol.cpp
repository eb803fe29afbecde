// The protocol helpers: the framer cut at arbitrary read boundaries, a received
// message's fields read in an arbitrary order, and every line read as each typed message.
//
// Input: byte 0 and 1 seed the read boundaries and the order of the field reads; the rest
// is the byte stream of one connection.
#include "fuzztargets.h"

#include "announcements.h"
#include "messageframer.h"
#include "protocol.h"
#include "requests.h"

namespace fuzz_protocol {

namespace {

using fuzzsupport::check;

// The framer's messages must not depend on how the stream was cut into reads.
QList<QByteArray> frameInReads(const QByteArray &stream, unsigned seed)
{
    MessageFramer framer;
    QList<QByteArray> messages;
    qsizetype pos = 0;
    while (pos < stream.size()) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype n = qMin<qsizetype>(stream.size() - pos, 1 + (seed >> 16) % 64);
        messages += framer.feed(stream.mid(pos, n));
        pos += n;
    }
    return messages;
}

void checkFraming(const QByteArray &stream, unsigned seed)
{
    MessageFramer whole;
    const QList<QByteArray> expected = whole.feed(stream);
    check(frameInReads(stream, seed) == expected, "framing independent of read boundaries");
    QList<QByteArray> split = stream.split(protocol::Terminator);
    split.removeLast(); // the unfinished rest
    check(whole.overflowed() || expected == split, "framer gives the messages between terminators");
    for (const QByteArray &m : expected)
        check(!m.contains(protocol::Terminator) && m.size() <= MessageFramer::MaxPending,
              "a message holds no terminator and fits the limit");
}

void readFields(const QByteArray &line, unsigned order)
{
    const auto [command, rest] = protocol::splitCommand(line);
    check(!line.contains(protocol::Separator) || command + protocol::Separator + rest == line,
          "command and rest make up the line");
    protocol::FieldCursor cursor(rest);
    for (int i = 0; i < 8 && !cursor.rest().isEmpty(); ++i, order >>= 3) {
        try {
            switch (order & 7) {
            case 0:
            case 1:
                cursor.take();
                break;
            case 2:
            case 3:
                cursor.takeInt();
                break;
            case 4:
                for (const int die : cursor.takeDieList())
                    check(die >= 1 && die <= 10, "die list holds dice 1..10");
                break;
            case 5:
                cursor.takeList();
                break;
            default:
                cursor.takeRest();
                break;
            }
        } catch (const protocol::ProtocolError &) {
        }
    }
}

// A body a message type accepts builds to a line that reads back as the same value, and
// that line builds to itself.
template <typename T>
void readTyped(const QByteArray &rest)
{
    T value;
    try {
        value = T::parse(rest);
    } catch (const protocol::ProtocolError &) {
        return;
    }
    const QByteArray line = value.build();
    const auto [command, body] = protocol::splitCommand(line);
    check(command == T::Command, "a built message starts with its command word");
    check(T::parse(body) == value, "a built message reads back as its value");
    check(T::parse(body).build() == line, "a rebuilt message is the same bytes");
}

template <typename... T>
void readAsEach(const QByteArray &rest)
{
    (readTyped<T>(rest), ...);
}

void readAsEveryMessage(const QByteArray &line)
{
    using namespace protocol;
    const QByteArray rest = splitCommand(line).second;
    readAsEach<LoginInfo, KickHim, BotSpeed, ChatRequest, ActionRequest, StartGame, JustWatch, RollTheDice,
               AllDone, PlaySoundRequest>(rest);
    readAsEach<SendLoginInfo, Full, NewPlayerInfo, ExistingPlayers, PlayerDisconnected, HaveWrongVersion,
               WrongVersion, LoadStats, LoadPScores, JustWatching, Chat, Action, PlaySound, NextPlayer, CreateDice,
               Scores, MarkOff, NoScore, Winner>(rest);
}

} // namespace

int fuzzOne(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const unsigned seed = data[0] | unsigned(data[1]) << 8;
    const QByteArray stream(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    checkFraming(stream, seed);
    MessageFramer framer;
    for (const QByteArray &line : framer.feed(stream)) {
        readFields(line, seed * 2654435761u);
        readAsEveryMessage(line);
    }
    return 0;
}

} // namespace fuzz_protocol
