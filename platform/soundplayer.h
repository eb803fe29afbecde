// SoundPlayer: plays the program's short sound clips, one at a time, without waiting.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class QSoundEffect;

class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    // Starts the clip named name (letter case ignored) and returns at once; a clip still
    // playing is cut off. An unknown name plays nothing.
    virtual void play(const QString &name) = 0;

    // The resource of a clip: ":/sounds/<name in lower case>.wav", or empty when the
    // program has no such clip.
    static QString resourcePath(const QString &name);
};

// Qt Multimedia. A clip is loaded the first time it is played; a machine without an
// audio output plays nothing and reports nothing.
class QtSoundPlayer : public SoundPlayer
{
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    void play(const QString &name) override;

private:
    QSoundEffect *effect(const QString &path);

    QHash<QString, QSoundEffect *> m_effects;
    QSoundEffect *m_playing = nullptr;
    int m_hasOutput = -1; // asked once: 1 an audio output exists, 0 none
};

// Records the names asked for and plays nothing (tests).
class RecordingSoundPlayer : public SoundPlayer
{
public:
    void play(const QString &name) override { played.append(name); }
    QStringList played;
};
