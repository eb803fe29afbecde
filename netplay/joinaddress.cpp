#include "joinaddress.h"

#include <QStringList>
#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>

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

// An IPv6 address as written ("2001:db8::7"), optionally with a zone ("fe80::1%eth0").
bool ipv6Text(const QString &text)
{
    if (text.isEmpty() || text.size() > 64)
        return false;
    const qsizetype percent = text.indexOf(QLatin1Char('%'));
    const QString address = percent < 0 ? text : text.left(percent);
    const QString zone = percent < 0 ? QString() : text.mid(percent + 1);
    if (percent >= 0 && (zone.isEmpty() || !std::all_of(zone.begin(), zone.end(), hostCharacter)))
        return false;
    in6_addr parsed{};
    return ::inet_pton(AF_INET6, address.toLatin1().constData(), &parsed) == 1;
}

QString ipv6Problem(const QString &text)
{
    return QStringLiteral("\"%1\" is not an IPv6 address: write one like 2001:db8::7, or [2001:db8::7]:7772 "
                          "with a port.")
        .arg(text.left(60));
}

bool portDigits(const QString &portText)
{
    return !portText.isEmpty() && portText.size() <= 5
           && std::all_of(portText.begin(), portText.end(),
                          [](QChar c) { return c.isDigit() && c.unicode() < 128; });
}

// The port after ":"; 0 when it is not one.
quint16 portNumber(const QString &portText)
{
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    return ok && portDigits(portText) && port >= 1 && port <= 65535 ? quint16(port) : 0;
}

const char *const PortProblem = "The port after \":\" must be a number from 1 to 65535.";

// "[v6]" or "[v6]:port".
JoinAddress bracketed(const QString &text)
{
    JoinAddress result;
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    if (close < 0) {
        result.problem = QStringLiteral("The address has \"[\" without the \"]\" that ends it.");
        return result;
    }
    const QString inside = text.mid(1, close - 1);
    const QString after = text.mid(close + 1);
    if (!ipv6Text(inside)) {
        result.problem = ipv6Problem(inside);
        return result;
    }
    if (!after.isEmpty()) {
        const quint16 port = after.startsWith(QLatin1Char(':')) ? portNumber(after.mid(1)) : 0;
        if (port == 0) {
            result.problem = QString::fromLatin1(PortProblem);
            return result;
        }
        result.port = port;
        result.portGiven = true;
    }
    result.host = inside;
    return result;
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
    if (text.startsWith(QLatin1Char('[')))
        return bracketed(text);
    const qsizetype colons = text.count(QLatin1Char(':'));
    if (colons > 1) {
        // An IPv6 address without brackets has no port part: every colon is the address's.
        if (ipv6Text(text))
            result.host = text;
        else
            result.problem = ipv6Problem(text);
        return result;
    }
    if (colons == 1) {
        const quint16 port = portNumber(text.mid(text.indexOf(QLatin1Char(':')) + 1));
        text.truncate(text.indexOf(QLatin1Char(':')));
        if (port == 0) {
            result.problem = QString::fromLatin1(PortProblem);
            return result;
        }
        result.port = port;
        result.portGiven = true;
    }
    result.problem = hostProblem(text);
    if (result.valid())
        result.host = text;
    return result;
}

QString JoinAddress::text() const
{
    if (port == GamePort)
        return host;
    const QString shown = ipv6() ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return shown + QLatin1Char(':') + QString::number(port);
}

bool JoinAddress::ipv6() const
{
    return ipv6Text(host);
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
