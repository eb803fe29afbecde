#include "joinaddress.h"

#include <QStringList>
#include <algorithm>

namespace {

bool hostCharacter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
           || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('.')
           || c == QLatin1Char('_');
}

QString hostProblem(const QString &host)
{
    if (host.isEmpty())
        return QStringLiteral("Please type the address of the computer that hosts the game.");
    if (host.size() > JoinAddress::MaxHostChars)
        return QStringLiteral("That address is too long to be a computer's name.");
    for (const QChar c : host) {
        if (!hostCharacter(c))
            return QStringLiteral("\"%1\" is not an address: use a computer's name or an address like "
                                  "192.168.1.20, optionally followed by :port.")
                .arg(c == QLatin1Char('/') || c == QLatin1Char('@') ? host.left(40) : QString(c));
    }
    if (host.startsWith(QLatin1Char('.')) || host.endsWith(QLatin1String(".."))
        || host.contains(QLatin1String("..")))
        return QStringLiteral("That address has an empty part between its dots.");
    return {};
}

} // namespace

JoinAddress JoinAddress::parse(const QString &typed)
{
    JoinAddress result;
    QString text = typed.trimmed();
    if (text.contains(QLatin1String("://"))) {
        result.problem = QStringLiteral("Type only the host's name or address, without \"%1\".")
                             .arg(text.left(text.indexOf(QLatin1String("://")) + 3).left(20));
        return result;
    }
    const qsizetype colons = text.count(QLatin1Char(':'));
    if (colons > 1) {
        result.problem = QStringLiteral("The game connects over IPv4 only: use a computer's name or an address "
                                        "like 192.168.1.20.");
        return result;
    }
    if (colons == 1) {
        const QString portText = text.mid(text.indexOf(QLatin1Char(':')) + 1);
        text.truncate(text.indexOf(QLatin1Char(':')));
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        const bool digitsOnly = !portText.isEmpty() && portText.size() <= 5
                                && std::all_of(portText.begin(), portText.end(),
                                               [](QChar c) { return c.isDigit() && c.unicode() < 128; });
        if (!ok || !digitsOnly || port < 1 || port > 65535) {
            result.problem = QStringLiteral("The port after \":\" must be a number from 1 to 65535.");
            return result;
        }
        result.port = quint16(port);
    }
    result.problem = hostProblem(text);
    if (result.valid())
        result.host = text;
    return result;
}

QString JoinAddress::text() const
{
    return port == GamePort ? host : host + QLatin1Char(':') + QString::number(port);
}

bool JoinAddress::dottedIPv4() const
{
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok);
        if (!ok || part.isEmpty() || part.size() > 3 || value > 255
            || !std::all_of(part.begin(), part.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; }))
            return false;
    }
    return true;
}
