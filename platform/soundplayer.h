// SoundPlayer: plays the program's short sound clips, one at a time, without waiting.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class ModuleLibrary;
class SoundBackEnd;

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

// The desktop's sound library, in the module library "dorvanesound" opened by the first
// sound, so a game that plays no sound never maps it. When the module cannot be opened
// (missing, a library it needs is missing), one line on stderr says why and every sound
// stays silent; a machine without an audio output is silent too. Nothing stops the game.
class DesktopSoundPlayer : public SoundPlayer
{
public:
    static constexpr const char *ModuleName = "dorvanesound";

    // moduleFolders: where the module is looked for (ModuleLibrary's folders by default).
    DesktopSoundPlayer();
    explicit DesktopSoundPlayer(const QStringList &moduleFolders);
    ~DesktopSoundPlayer() override;
    void play(const QString &name) override;

    // Why sounds are silent, or empty while none has failed yet.
    QString problem() const;

private:
    SoundBackEnd *backEnd();

    std::unique_ptr<ModuleLibrary> m_module;
    std::unique_ptr<SoundBackEnd> m_backEnd;
    QString m_problem; // set once the module could not be opened
};

// Records the names asked for and plays nothing (tests).
class RecordingSoundPlayer : public SoundPlayer
{
public:
    void play(const QString &name) override { played.append(name); }
    QStringList played;
};
