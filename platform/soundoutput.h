// SoundOutput: whether this machine has anywhere to play a sound, asked before the sound
// module is opened.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Opening the sound back end maps the sound library, the sound server's client library and
// the codecs behind it; on a machine with no sound server and no audio device every sound
// would be silent anyway. find() checks a list of places with a few stat calls: sound
// server sockets and audio devices. A path's last part may hold '*' wildcards
// ("/dev/snd/pcmC*D*p"). An entry that is not an absolute path names a sound server by
// network address, which cannot be checked without connecting, so it counts as present.
class SoundOutput
{
public:
    explicit SoundOutput(QStringList places);
    // The places of this process's environment (see placesFor).
    static SoundOutput fromEnvironment();

    // The places to look at: every server named by pulseServer (a PULSE_SERVER value), the
    // per-user sound server socket under pulseRuntimePath, else runtimeDir, else
    // /run/user/<uid>, the system-wide one, the per-user PipeWire socket, ALSA playback
    // devices and an OSS device.
    static QStringList placesFor(const QByteArray &pulseServer, const QByteArray &pulseRuntimePath,
                                 const QByteArray &runtimeDir, unsigned uid);

    // The first place that exists now, or empty when there is nowhere to play.
    QString find() const;
    const QStringList &places() const { return m_places; }

private:
    QStringList m_places;
};
