#include "seatnames.h"

#include "hoststate.h"
#include "protocollimits.h"

#include <QSet>

namespace {

bool invisible(char32_t c)
{
    if (QChar::category(c) == QChar::Other_Format) // zero-width, direction controls, tags
        return true;
    return (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) // variation selectors
           || c == 0x034F || c == 0x115F || c == 0x1160 || c == 0x17B4 || c == 0x17B5 || c == 0x3164 || c == 0xFFA0
           || (c >= 0x180B && c <= 0x180F);
}

// The longest start of name (at most maxBytes) that does not end inside a UTF-8 sequence.
QByteArray cutAtCharacter(const QByteArray &name, qsizetype maxBytes)
{
    if (name.size() <= maxBytes)
        return name;
    qsizetype cut = maxBytes;
    // A continuation byte (10xxxxxx) belongs to the character before it.
    while (cut > 0 && (static_cast<unsigned char>(name.at(cut)) & 0xC0) == 0x80)
        --cut;
    return name.left(cut);
}

} // namespace

namespace seatnames {

QString comparisonKey(const QByteArray &name)
{
    const QString normal = QString::fromUtf8(name).normalized(QString::NormalizationForm_KC);
    QString key;
    key.reserve(normal.size());
    for (const char32_t c : normal.toUcs4()) {
        if (!invisible(c))
            key += QString::fromUcs4(&c, 1);
    }
    return key.toCaseFolded().trimmed();
}

QByteArray unique(const QByteArray &wanted, const QList<QByteArray> &inUse)
{
    const QString key = comparisonKey(wanted);
    if (key.isEmpty())
        return wanted;
    QSet<QString> taken;
    for (const QByteArray &name : inUse)
        taken.insert(comparisonKey(name));
    if (!taken.contains(key))
        return wanted;
    // Every name in use blocks at most one suffix, so one of the first size() + 2 is free.
    for (qsizetype n = 2;; ++n) {
        const QByteArray suffix = " (" + QByteArray::number(n) + ")";
        const QByteArray candidate = cutAtCharacter(wanted, limits::MaxNameBytes - suffix.size()) + suffix;
        if (!taken.contains(comparisonKey(candidate)))
            return candidate;
    }
}

QList<QByteArray> inUse(const HostState &state, int entry)
{
    QList<QByteArray> names;
    for (int j = 1; j <= state.conncount; ++j) {
        const TSeat &seat = state.seats[j];
        if (j != entry && seat.connected && seat.loggedIn)
            names.append(seat.name);
    }
    for (int seat = 1; seat <= state.numseats; ++seat) {
        if (!state.seats[seat].botname.isEmpty())
            names.append(state.seats[seat].botname);
    }
    return names;
}

} // namespace seatnames
