// The sound player: nothing it is asked for may stop the program or block it, and a
// sound back end that cannot be opened leaves the game silent with a reason.
#include "soundplayer.h"

#include "modulelibrary.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

namespace {

// A sound output that is always there: a file standing in for a sound server's socket.
class PresentOutput
{
public:
    PresentOutput()
    {
        QFile socket(path());
        socket.open(QIODevice::WriteOnly);
    }
    QString path() const { return m_dir.filePath(QStringLiteral("native")); }
    SoundOutput output() const { return SoundOutput({path()}); }

private:
    QTemporaryDir m_dir;
};

// A file named like the sound module that cannot be loaded; its path.
QString writeBrokenModule(const QTemporaryDir &dir, const char *bytes)
{
    QFile bogus(dir.filePath(QStringLiteral("libdorvanesound.so")));
    if (bogus.open(QIODevice::WriteOnly))
        bogus.write(bytes);
    return bogus.fileName();
}

bool saysCannotLoad(const DesktopSoundPlayer &player, const QString &module)
{
    return player.problem().startsWith(QStringLiteral("Sounds are off: Cannot load library ") + module);
}

// What the process writes to stderr while it lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        std::fflush(stderr);
        m_saved = ::dup(2);
        m_file = std::tmpfile();
        ::dup2(::fileno(m_file), 2);
    }
    ~StderrCapture() { restore(); }
    QString text()
    {
        restore();
        std::rewind(m_file);
        QByteArray all;
        char buffer[512];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, m_file))
            all.append(buffer, qsizetype(n));
        return QString::fromLocal8Bit(all);
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, 2);
        ::close(m_saved);
        m_saved = -1;
    }
    int m_saved = -1;
    FILE *m_file = nullptr;
};

TEST(SoundPlayer, UnknownOrOddNamesPlayNothingAndReturnAtOnce)
{
    DesktopSoundPlayer player;
    QElapsedTimer timer;
    timer.start();
    for (const char *name : {"", "nosuchsound", "../../etc/passwd", "WAVE5", "dice", "turn", "dice"})
        player.play(QString::fromLatin1(name));
    EXPECT_LT(timer.elapsed(), 2000) << "play never waits for a clip to finish";
}

TEST(SoundPlayer, UnknownNamesNeverOpenTheBackEnd)
{
    DesktopSoundPlayer player(QStringList{QStringLiteral("/nonexistent/modules")});
    player.play(QStringLiteral("nosuchsound"));
    EXPECT_TRUE(player.problem().isEmpty()) << player.problem().toStdString();
}

TEST(SoundPlayer, MissingModuleLeavesTheGameSilentWithAReason)
{
    const PresentOutput present;
    DesktopSoundPlayer player(QStringList{QStringLiteral("/nonexistent/modules")}, present.output());
    for (int i = 0; i < 3; ++i)
        player.play(QStringLiteral("dice"));
    EXPECT_TRUE(player.problem().startsWith(QStringLiteral("Sounds are off: libdorvanesound.so was not found")))
        << player.problem().toStdString();
}

TEST(SoundPlayer, BrokenModuleLeavesTheGameSilentWithAReason)
{
    QTemporaryDir dir;
    const QString bogus = writeBrokenModule(dir, "\x7f"
                                                 "ELF but not really");
    const PresentOutput present;
    DesktopSoundPlayer player(QStringList{dir.path()}, present.output());
    player.play(QStringLiteral("dice"));
    EXPECT_TRUE(saysCannotLoad(player, bogus)) << player.problem().toStdString();
}

// Without a sound server or device the module, even a broken one, is never opened; the
// reason is said once however many sounds are asked for, and the first sound after an
// output appears opens the module.
TEST(SoundPlayer, WithoutAnOutputTheModuleStaysClosedUntilOneAppears)
{
    QTemporaryDir dir;
    const QString bogus = writeBrokenModule(dir, "not a library at all");
    const QString socket = dir.filePath(QStringLiteral("run/pulse/native"));
    DesktopSoundPlayer player(QStringList{dir.path()},
                              SoundOutput({socket, dir.filePath(QStringLiteral("pcmC*D*p"))}));
    QStringList noticed;
    player.setSilenceNotice([&noticed](const QString &line) { noticed << line; });

    StderrCapture capture;
    for (const char *name : {"dice", "turn", "entered"})
        player.play(QString::fromLatin1(name));
    const QString said = capture.text();
    EXPECT_FALSE(player.moduleOpened());
    const QString problem = player.problem();
    EXPECT_TRUE(problem.startsWith(QStringLiteral("Sounds are off: no sound server or audio device was found")))
        << problem.toStdString();
    EXPECT_TRUE(problem.contains(socket)) << problem.toStdString();
    EXPECT_EQ(said, QStringLiteral("dorvane: ") + problem + QLatin1Char('\n'));
    ASSERT_EQ(noticed.size(), 1) << "the player is told once, not once per sound";
    EXPECT_TRUE(noticed[0].startsWith(QStringLiteral("No sound device or sound server was found")))
        << noticed[0].toStdString();

    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("run/pulse"))));
    QFile server(socket);
    ASSERT_TRUE(server.open(QIODevice::WriteOnly));
    player.play(QStringLiteral("dice"));
    EXPECT_TRUE(saysCannotLoad(player, bogus)) << player.problem().toStdString();
    EXPECT_EQ(noticed.size(), 1) << "one notice a run, whatever the next reason";
}

// A module that cannot be loaded is the first reason met: the player hears of it once.
TEST(SoundPlayer, BrokenModuleIsNoticedOnce)
{
    QTemporaryDir dir;
    writeBrokenModule(dir, "not a library at all");
    const PresentOutput present;
    DesktopSoundPlayer player(QStringList{dir.path()}, present.output());
    QStringList noticed;
    player.setSilenceNotice([&noticed](const QString &line) { noticed << line; });
    StderrCapture quiet;
    for (int i = 0; i < 3; ++i)
        player.play(QStringLiteral("dice"));
    ASSERT_EQ(noticed.size(), 1);
    EXPECT_TRUE(
        noticed[0].startsWith(QStringLiteral("Sounds cannot be heard because the sound module could not be "
                                             "loaded (")))
        << noticed[0].toStdString();
}

TEST(SoundPlayer, TheRealModuleOpensOnceAnOutputAppears)
{
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("pcmC0D0p"));
    DesktopSoundPlayer player(ModuleLibrary::defaultFolders(),
                              SoundOutput({dir.filePath(QStringLiteral("pcmC*D*p"))}));
    player.play(QStringLiteral("nosuchsound"));
    player.play(QStringLiteral("dice"));
    EXPECT_FALSE(player.moduleOpened());
    EXPECT_FALSE(player.problem().isEmpty());

    QFile standIn(device);
    ASSERT_TRUE(standIn.open(QIODevice::WriteOnly));
    player.play(QStringLiteral("nosuchsound"));
    EXPECT_FALSE(player.moduleOpened()) << "an unknown name opens nothing";
    player.play(QStringLiteral("dice"));
    EXPECT_TRUE(player.moduleOpened()) << player.problem().toStdString();
    EXPECT_FALSE(player.problem().startsWith(QStringLiteral("Sounds are off"))) << player.problem().toStdString();
}

// On a machine without an audio output the real back end stays silent and says why; with
// one, it plays and reports nothing. Either way the calls return at once.
TEST(SoundPlayer, RealBackEndPlaysOrSaysWhyItIsSilent)
{
    DesktopSoundPlayer player;
    QElapsedTimer timer;
    timer.start();
    for (const char *name : {"dice", "turn", "WAVE5"})
        player.play(QString::fromLatin1(name));
    EXPECT_LT(timer.elapsed(), 1000) << "the sound system is talked to on another thread";
    while (player.problem().isEmpty() && timer.elapsed() < 3000)
        QThread::msleep(20);
    const QString problem = player.problem();
    EXPECT_TRUE(problem.isEmpty() || problem.startsWith(QStringLiteral("no sound output: "))
                || problem.startsWith(QStringLiteral("Sounds are off: no sound server or audio device")))
        << problem.toStdString();
}

} // namespace
