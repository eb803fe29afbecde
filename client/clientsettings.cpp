#include "clientsettings.h"

#include "colortext.h"

namespace {
const QString Section = QStringLiteral("Dorvane");

QString key(const char *name)
{
    return QString::fromLatin1(name);
}

QString boolText(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}
} // namespace

ClientSettings::ClientSettings(const QString &path)
    : m_file(path)
{
}

int ClientSettings::readBotspeed() const
{
    const QString value = m_file.readString(Section, key("Botspeed"));
    if (value == QString::number(gamedefaults::BotSlowMs))
        return gamedefaults::BotSlowMs;
    if (value == QString::number(gamedefaults::BotFastMs))
        return gamedefaults::BotFastMs;
    return gamedefaults::BotNormalMs;
}

ClientSettings::Values ClientSettings::read() const
{
    Values v;
    v.options.textSize = m_file.readInteger(Section, key("Textsize"), 8);
    if (v.options.textSize < 1 || v.options.textSize > 72)
        v.options.textSize = 8; // no readable text at that size
    v.options.textColor = colortext::readOr(
        m_file.readString(Section, key("Textcolor"), QStringLiteral("clblack")), QColor(0, 0, 0));
    v.options.botSpeed = readBotspeed();
    v.options.playSounds = m_file.readString(Section, key("Playsounds")) != QLatin1String("false");
    const QRect place = gamedefaults::MainWindowPlace;
    v.geometry = QRect(m_file.readInteger(Section, key("Left"), place.left()),
                       m_file.readInteger(Section, key("Top"), place.top()),
                       m_file.readInteger(Section, key("Width"), place.width()),
                       m_file.readInteger(Section, key("Height"), place.height()));
    v.options.turnSound =
        m_file.readString(Section, key("Turnsound"), QStringLiteral("0")) == QLatin1String("1") ? 1 : 0;
    v.options.colourSymbols = m_file.readString(Section, key("Coloursymbols")) == QLatin1String("true");
    v.options.chatterSounds =
        m_file.readString(Section, key("ChatterSounds"), QStringLiteral("true")) != QLatin1String("false");
    return v;
}

bool ClientSettings::write(const Values &v)
{
    const std::pair<const char *, QString> entries[] = {
        {"Textsize", QString::number(v.options.textSize)}, {"Textcolor", colortext::write(v.options.textColor)},
        {"Botspeed", QString::number(v.options.botSpeed)}, {"Top", QString::number(v.geometry.top())},
        {"Left", QString::number(v.geometry.left())},      {"Width", QString::number(v.geometry.width())},
        {"Height", QString::number(v.geometry.height())},  {"Turnsound", QString::number(v.options.turnSound)},
        {"Playsounds", boolText(v.options.playSounds)},    {"ChatterSounds", boolText(v.options.chatterSounds)},
    };
    for (const auto &[name, value] : entries) {
        if (!m_file.writeString(Section, key(name), value))
            return false;
    }
    // A file that never had the symbols on stays without the key.
    const bool symbolsStored = !m_file.readString(Section, key("Coloursymbols")).isEmpty();
    if ((v.options.colourSymbols || symbolsStored)
        && !m_file.writeString(Section, key("Coloursymbols"), boolText(v.options.colourSymbols)))
        return false;
    return true;
}

QString ClientSettings::readPlayerName() const
{
    return m_file.readString(Section, key("Playername"));
}

bool ClientSettings::writePlayerName(const QString &name)
{
    QString line = name;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return m_file.writeString(Section, key("Playername"), line);
}

QStringList ClientSettings::readRecentHosts() const
{
    QStringList hosts;
    for (int n = 1; n <= RecentHosts; ++n) {
        const QString host = m_file.readString(Section, QStringLiteral("Recenthost%1").arg(n)).trimmed();
        if (!host.isEmpty() && !hosts.contains(host, Qt::CaseInsensitive))
            hosts.append(host);
    }
    return hosts;
}

bool ClientSettings::addRecentHost(const QString &address)
{
    QStringList hosts = readRecentHosts();
    hosts.removeIf([&](const QString &h) { return h.compare(address, Qt::CaseInsensitive) == 0; });
    hosts.prepend(address);
    for (int n = 1; n <= RecentHosts; ++n) {
        if (!m_file.writeString(Section, QStringLiteral("Recenthost%1").arg(n), hosts.value(n - 1)))
            return false;
    }
    return true;
}

bool ClientSettings::readOpenPort() const
{
    return m_file.readString(Section, key("Openport")) != QLatin1String("false");
}

bool ClientSettings::writeOpenPort(bool on)
{
    return m_file.writeString(Section, key("Openport"), boolText(on));
}

QString ClientSettings::readTableServer() const
{
    return m_file.readString(Section, key("Tableserver")).trimmed();
}

bool ClientSettings::writeTableServer(const QString &address)
{
    QString line = address;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return m_file.writeString(Section, key("Tableserver"), line.trimmed());
}
