#include "messagefields.h"

#include <array>
#include <string>

namespace protocol::fields {

namespace {

constexpr int NumDice = 10;

std::string shown(const QByteArray &text)
{
    return text.left(40).toStdString();
}

} // namespace

int takeRanged(FieldCursor &cursor, int lo, int hi, const char *what)
{
    const int value = cursor.takeInt();
    if (value < lo || value > hi)
        throw ProtocolError(std::string(what) + " out of range: " + std::to_string(value));
    return value;
}

QList<int> takeRequestDice(QByteArrayView rest)
{
    QList<int> dice;
    if (rest == "none")
        return dice;
    std::array<bool, NumDice + 1> listed{};
    qsizetype start = 0;
    while (true) {
        qsizetype end = start;
        while (end < rest.size() && rest[end] != Separator)
            ++end;
        const int die = toInt(QByteArray::fromRawData(rest.data() + start, end - start));
        if (die < 1 || die > NumDice)
            throw ProtocolError("die number out of range: " + std::to_string(die));
        if (listed[die])
            throw ProtocolError("die " + std::to_string(die) + " listed twice");
        listed[die] = true;
        dice.append(die);
        if (end == rest.size())
            return dice;
        start = end + 1;
    }
}

QList<DieFace> takeDieFaces(FieldCursor &cursor)
{
    if (cursor.rest() == "none") {
        cursor.takeRest();
        return {};
    }
    const QList<QByteArray> items = cursor.takeList();
    if (items.size() % 3 != 0)
        throw ProtocolError("incomplete dice triple");
    QList<DieFace> faces;
    faces.reserve(items.size() / 3);
    for (qsizetype i = 0; i < items.size(); i += 3) {
        const DieFace face{toInt(items[i]), toInt(items[i + 1]), toInt(items[i + 2])};
        if (face.die < 1 || face.die > NumDice || face.value < 0 || face.value > 10 || face.color < 1
            || face.color > 4)
            throw ProtocolError("die out of range: " + shown(items[i]));
        faces.append(face);
    }
    return faces;
}

QList<SheetEntry> takeSheetEntries(FieldCursor &cursor)
{
    const QList<QByteArray> items = cursor.takeList();
    if (items.size() % 3 != 0)
        throw ProtocolError("incomplete score triple");
    QList<SheetEntry> entries;
    entries.reserve(items.size() / 3);
    for (qsizetype i = 0; i < items.size(); i += 3) {
        const SheetEntry entry{toInt(items[i]), toInt(items[i + 1]), toInt(items[i + 2])};
        if (entry.seat < 1 || entry.seat > 4 || entry.slot < 1 || entry.slot > 12)
            throw ProtocolError("score slot out of range");
        entries.append(entry);
    }
    return entries;
}

QByteArray watchModeText(WatchMode mode)
{
    return mode == WatchMode::ComputerPlays ? QByteArray("1") : QByteArray("2");
}

ScoreKind scoreKind(const QByteArray &text)
{
    if (text == "bonus")
        return ScoreKind::Bonus;
    if (text == "goneout")
        return ScoreKind::GoneOut;
    return ScoreKind::Plain;
}

QByteArray scoreKindText(ScoreKind kind)
{
    switch (kind) {
    case ScoreKind::Bonus:
        return "bonus";
    case ScoreKind::GoneOut:
        return "goneout";
    case ScoreKind::Plain:
        break;
    }
    return "none";
}

void put(QByteArray &out, int value)
{
    out += Separator;
    out += QByteArray::number(value);
}

void put(QByteArray &out, const QByteArray &text)
{
    out += Separator;
    out += text;
}

void putDieList(QByteArray &out, const QList<int> &dice)
{
    if (dice.isEmpty())
        out += "+none";
    for (const int die : dice)
        put(out, die);
}

void putDieFaces(QByteArray &out, const QList<DieFace> &faces)
{
    if (faces.isEmpty())
        out += "+none";
    for (const DieFace &face : faces) {
        put(out, face.die);
        put(out, face.value);
        put(out, face.color);
    }
}

} // namespace protocol::fields
