#include "langame.h"
#include "ports.h"

#include <QList>

namespace {
constexpr quint16 GamePort = ports::Game;
}

QString LanGame::joinText() const
{
    return port == GamePort ? address : address + QLatin1Char(':') + QString::number(port);
}

QString LanGame::listText() const
{
    QString seats;
    if (freeSeats == 1)
        seats = QStringLiteral(" - 1 free seat");
    else if (freeSeats >= 0)
        seats = QStringLiteral(" - %1 free seats").arg(freeSeats);
    return (player.isEmpty() ? QStringLiteral("A game") : player) + seats + QStringLiteral(" - ") + joinText();
}

QByteArray LanGame::instanceName(const QString &player)
{
    const QString prefix = QStringLiteral("Dorvane game of ");
    QString name = prefix + shownText(player.toUtf8(), MaxLabelBytes);
    while (name.toUtf8().size() > MaxLabelBytes)
        name.chop(1);
    if (!name.isEmpty() && name.back().isHighSurrogate())
        name.chop(1);
    return name.toUtf8();
}

QString LanGame::shownText(const QByteArray &bytes, int maxChars)
{
    const QString decoded = QString::fromUtf8(bytes.left(4 * maxChars + 4));
    QString shown;
    for (const QChar c : decoded) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
            || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            continue;
        shown.append(c);
    }
    shown = shown.trimmed();
    if (shown.size() > maxChars) {
        shown.truncate(maxChars - 3);
        if (shown.back().isHighSurrogate())
            shown.chop(1);
        shown += QStringLiteral("...");
    }
    return shown;
}

QByteArray LanGame::txtValue(const QList<QByteArray> &txt, const QByteArray &key)
{
    const QByteArray prefix = key + '=';
    for (const QByteArray &entry : txt) {
        if (entry.startsWith(prefix))
            return entry.mid(prefix.size());
    }
    return {};
}
