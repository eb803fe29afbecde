// SoundPlayer: plays the program's short sound clips, one at a time, without waiting.
#pragma once

#include "soundoutput.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class ModuleLibrary;
class SoundBackEnd;

class SoundPlayer
{
public:
    // Receives one line for the player, in the player's words.
    using Notice = std::function<void(const QString &line)>;

    virtual ~SoundPlayer() = default;
    // Starts the clip named name (letter case ignored) and returns at once; a clip still
    // playing is cut off. An unknown name plays nothing.
    virtual void play(const QString &name) = 0;

    // Called at most once per player: the first time a sound was asked for and cannot be
    // heard, with the reason (the game's chat shows it).
    void setSilenceNotice(Notice notice) { m_notice = std::move(notice); }

    // The resource of a clip: ":/sounds/<name in lower case>.wav", or empty when the
    // program has no such clip.
    static QString resourcePath(const QString &name);

protected:
    // Hands line to the notice the first time only.
    void noticeSilence(const QString &line);

private:
    Notice m_notice;
    bool m_noticed = false;
};

// The desktop's sound library, in the module library "dorvanesound" opened by the first
// sound that has somewhere to play, so a game that plays no sound never maps it. While the
// machine has no sound server or audio device, sounds are silent, the module stays closed
// and the next sound looks again (a server started later is then used). When the module
// cannot be opened (missing, a library it needs is missing), every sound stays silent. Each
// of the two reasons is said once, in one line on stderr; the first reason met, or the
// sound system's own refusal seen at the next sound, also goes to the silence notice.
// Nothing stops the game.
class DesktopSoundPlayer : public SoundPlayer
{
public:
    static constexpr const char *ModuleName = "dorvanesound";

    // moduleFolders: where the module is looked for (ModuleLibrary's folders by default);
    // output: where a sound could be played (this process's environment by default).
    DesktopSoundPlayer();
    explicit DesktopSoundPlayer(const QStringList &moduleFolders);
    DesktopSoundPlayer(const QStringList &moduleFolders, SoundOutput output);
    ~DesktopSoundPlayer() override;
    void play(const QString &name) override;

    // Why sounds are silent, or empty while none has failed yet.
    QString problem() const;
    // Whether the sound module has been opened.
    bool moduleOpened() const { return m_backEnd != nullptr; }

private:
    SoundBackEnd *backEnd();
    bool outputExists();

    std::unique_ptr<ModuleLibrary> m_module;
    SoundOutput m_output;
    std::unique_ptr<SoundBackEnd> m_backEnd;
    QString m_problem;           // why sounds are silent before the back end exists
    bool m_moduleFailed = false; // the module could not be opened: never tried again
    bool m_saidNoOutput = false;
};

// Records the names asked for and plays nothing (tests).
class RecordingSoundPlayer : public SoundPlayer
{
public:
    void play(const QString &name) override { played.append(name); }
    QStringList played;
};
