#include "soundoutput.h"

#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool exists(const QString &path)
{
    const QByteArray name = path.toLocal8Bit();
    if (!path.contains(QLatin1Char('*'))) {
        struct stat info;
        return ::stat(name.constData(), &info) == 0;
    }
    glob_t found{};
    const bool any = ::glob(name.constData(), GLOB_NOSORT, nullptr, &found) == 0 && found.gl_pathc > 0;
    ::globfree(&found);
    return any;
}

// One PULSE_SERVER entry: "unix:/path" or "/path" is a socket, anything else ("tcp:host:port",
// "host") a server on the network; a "{machine id}" prefix is dropped.
QString serverPlace(QString entry)
{
    if (entry.startsWith(QLatin1Char('{'))) {
        const qsizetype end = entry.indexOf(QLatin1Char('}'));
        entry = end < 0 ? QString() : entry.mid(end + 1);
    }
    if (entry.startsWith(QLatin1String("unix:")))
        entry = entry.mid(5);
    return entry;
}

} // namespace

SoundOutput::SoundOutput(QStringList places)
    : m_places(std::move(places))
{
}

SoundOutput SoundOutput::fromEnvironment()
{
    return SoundOutput(placesFor(qgetenv("PULSE_SERVER"), qgetenv("PULSE_RUNTIME_PATH"),
                                 qgetenv("XDG_RUNTIME_DIR"), unsigned(::getuid())));
}

QStringList SoundOutput::placesFor(const QByteArray &pulseServer, const QByteArray &pulseRuntimePath,
                                   const QByteArray &runtimeDir, unsigned uid)
{
    QStringList places;
    const auto servers = QString::fromLocal8Bit(pulseServer).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &server : servers) {
        const QString place = serverPlace(server);
        if (!place.isEmpty())
            places << place;
    }
    const QString runtime =
        runtimeDir.isEmpty() ? QStringLiteral("/run/user/%1").arg(uid) : QString::fromLocal8Bit(runtimeDir);
    const QString pulseRuntime =
        pulseRuntimePath.isEmpty() ? runtime + QStringLiteral("/pulse") : QString::fromLocal8Bit(pulseRuntimePath);
    places << pulseRuntime + QStringLiteral("/native") << QStringLiteral("/var/run/pulse/native")
           << runtime + QStringLiteral("/pipewire-0") << QStringLiteral("/dev/snd/pcmC*D*p")
           << QStringLiteral("/dev/dsp");
    return places;
}

QString SoundOutput::find() const
{
    for (const QString &place : m_places) {
        if (!place.startsWith(QLatin1Char('/')) || exists(place))
            return place;
    }
    return QString();
}
