// The sound player: nothing it is asked for may stop the program or block it, and a
// sound back end that cannot be opened leaves the game silent with a reason.
#include "soundplayer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

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
    DesktopSoundPlayer player(QStringList{QStringLiteral("/nonexistent/modules")});
    for (int i = 0; i < 3; ++i)
        player.play(QStringLiteral("dice"));
    EXPECT_TRUE(player.problem().startsWith(QStringLiteral("Sounds are off: libdorvanesound.so was not found")))
        << player.problem().toStdString();
}

TEST(SoundPlayer, BrokenModuleLeavesTheGameSilentWithAReason)
{
    QTemporaryDir dir;
    QFile bogus(dir.filePath(QStringLiteral("libdorvanesound.so")));
    ASSERT_TRUE(bogus.open(QIODevice::WriteOnly));
    bogus.write("\x7f"
                "ELF but not really");
    bogus.close();
    DesktopSoundPlayer player(QStringList{dir.path()});
    player.play(QStringLiteral("dice"));
    EXPECT_TRUE(
        player.problem().startsWith(QStringLiteral("Sounds are off: Cannot load library ") + bogus.fileName()))
        << player.problem().toStdString();
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
    EXPECT_TRUE(problem.isEmpty() || problem.startsWith(QStringLiteral("no sound output: ")))
        << problem.toStdString();
}

} // namespace
