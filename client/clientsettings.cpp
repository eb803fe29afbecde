#include "clientsettings.h"

namespace {
const QString Section = QStringLiteral("Dorvane");
}

ClientSettings::ClientSettings(const QString &path)
    : m_file(path)
{
}

int ClientSettings::readBotspeed() const
{
    const QString value = m_file.readString(Section, QStringLiteral("Botspeed"));
    if (value == QLatin1String("2000"))
        return Slow;
    if (value == QLatin1String("500"))
        return Fast;
    return Normal;
}

bool ClientSettings::writeBotspeed(int ms)
{
    return m_file.writeString(Section, QStringLiteral("Botspeed"), QString::number(ms));
}
