// SoundBackEnd: the desktop sound library behind SoundPlayer, kept in the module library
// "dorvanesound", which SoundPlayer's desktop player opens on the first sound.
#pragma once

#include <QByteArray>
#include <QString>

class SoundBackEnd
{
public:
    virtual ~SoundBackEnd() = default;
    // Starts the WAV clip wav, known as name, and returns without waiting for the sound
    // system; a clip still playing is cut off. Silent when there is no audio output.
    virtual void play(const QString &name, const QByteArray &wav) = 0;
    // Why the back end is silent (no audio output, the sound system refused), or empty.
    virtual QString problem() const = 0;
};

// The module's one entry point: a new back end, owned by the caller.
using CreateSoundBackEnd = SoundBackEnd *();
inline constexpr const char *CreateSoundBackEndSymbol = "dorvane_create_sound_back_end";
