// SingleInstance and NamedLock: one copy per name, a second one raises the first, crashes never block.
#include "errorguard.h"
#include "namedlock.h"
#include "namedmutex.h"
#include "singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString uniqueName(const char *what)
{
    return QStringLiteral("dorvane-test-%1-%2")
        .arg(QString::fromLatin1(what))
        .arg(QCoreApplication::applicationPid());
}

TEST(SingleInstance, SecondCopyIsRefusedAndRaisesTheFirst)
{
    const QString name = uniqueName("second");
    SingleInstance first(name);
    ASSERT_TRUE(first.tryAcquire());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    SingleInstance second(name);
    EXPECT_FALSE(second.tryAcquire());
    EXPECT_TRUE(second.askRunningCopyToRaise());
    EXPECT_TRUE(raised.wait(3000));
    EXPECT_EQ(raised.count(), 1);

    SingleInstance other(uniqueName("other"));
    EXPECT_TRUE(other.tryAcquire()) << "another name is another program";
}

// Anything else that connects (a stranger, garbage, a flood, a silent peer) raises nothing
// and breaks nothing; the socket is the user's alone.
TEST(SingleInstance, StrangersOnTheSocketRaiseNothing)
{
    const QString name = uniqueName("strangers");
    SingleInstance first(name);
    ASSERT_TRUE(first.tryAcquire());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(first.serverPath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u) << "group and others may not connect";

    const auto send = [&](const QByteArray &bytes) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(first.serverPath());
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
        return fd;
    };
    const int silent = send({});
    ::close(send(QByteArray(10000, 'x') + "raise"));
    ::close(send("\xff\x00garbage\n"));
    EXPECT_FALSE(raised.wait(300));

    SingleInstance second(name);
    EXPECT_TRUE(second.askRunningCopyToRaise()) << "a silent peer does not block the channel";
    EXPECT_TRUE(raised.wait(3000));
    EXPECT_EQ(raised.count(), 1);
    ::close(silent);
}

TEST(SingleInstance, ACrashedCopyNeverBlocks)
{
    const QString name = uniqueName("crash");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        NamedLock lock(name);
        ::_exit(lock.tryLock() ? 0 : 1); // ends without unlocking or cleaning up
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child took the lock";
    SingleInstance next(name);
    EXPECT_TRUE(next.tryAcquire());
}

TEST(SingleInstance, ReleasedLockCanBeTakenAgain)
{
    const QString name = uniqueName("release");
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.tryAcquire());
    }
    SingleInstance again(name);
    EXPECT_TRUE(again.tryAcquire());
}

// The folder for the lock and the socket when the shared temporary folder is all there is.
class SharedTemporaryFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(shared.isValid());
        ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0); // as /tmp is
    }
    QString ownName() const { return shared.filePath(QStringLiteral("dorvane-%1").arg(::geteuid())); }
    static mode_t modeOf(const QString &path)
    {
        struct stat info
        {
        };
        ::lstat(QFile::encodeName(path).constData(), &info);
        return info.st_mode & 07777;
    }

    QTemporaryDir shared;
};

TEST_F(SharedTemporaryFolder, TheUsersOwnRuntimeFolderComesFirst)
{
    QTemporaryDir runtime;
    ASSERT_EQ(::chmod(QFile::encodeName(runtime.path()).constData(), 0700), 0);
    EXPECT_EQ(NamedLock::privateFolder(runtime.path(), shared.path()).toStdString(), runtime.path().toStdString());

    ASSERT_EQ(::chmod(QFile::encodeName(runtime.path()).constData(), 0755), 0);
    const QString folder = NamedLock::privateFolder(runtime.path(), shared.path());
    EXPECT_EQ(folder.toStdString(), ownName().toStdString()) << "a runtime folder open to others is not used";
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(NamedLock::privateFolder(QString(), shared.path()).toStdString(), folder.toStdString())
        << "the next copy meets the first";
}

// A link planted under the game's folder name: nothing is done through it.
TEST_F(SharedTemporaryFolder, ALinkPlantedUnderTheNameIsNeverFollowed)
{
    QTemporaryDir victim;
    ASSERT_EQ(::chmod(QFile::encodeName(victim.path()).constData(), 0755), 0);
    ASSERT_TRUE(QFile::link(victim.path(), ownName()));

    const QString folder = NamedLock::privateFolder(QString(), shared.path());
    EXPECT_EQ(modeOf(victim.path()), 0755u) << "the linked folder keeps its permissions";
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_NE(folder.toStdString(), ownName().toStdString());
    EXPECT_TRUE(NamedLock::isPrivateFolder(folder));
    EXPECT_TRUE(QDir(victim.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

    SingleInstance game(uniqueName("linked"), folder);
    EXPECT_TRUE(game.tryAcquire());
    EXPECT_TRUE(game.serverPath().startsWith(folder + QLatin1Char('/'))) << game.serverPath().toStdString();
}

// Another local user made the folder first, holds the lock file in it and listens on the
// socket's name: the game still starts, in a private folder, and a second copy finds it.
TEST_F(SharedTemporaryFolder, AnotherUsersFolderNeitherStopsTheGameNorIsChanged)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second local user";
    constexpr uid_t Stranger = 65534;
    const QString name = uniqueName("stranger");
    const QString theirs = ownName();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        if (::setgid(Stranger) != 0 || ::setuid(Stranger) != 0)
            ::_exit(1);
        ::umask(0);
        const QByteArray folder = QFile::encodeName(theirs);
        ::mkdir(folder.constData(), 0777);
        const int lock =
            ::open((folder + '/' + QFile::encodeName(name) + ".lock").constData(), O_RDWR | O_CREAT, 0666);
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socketPath = folder + '/' + QFile::encodeName(name) + ".sock";
        std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
        const bool set = lock >= 0 && ::flock(lock, LOCK_EX) == 0
                         && ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
                         && ::listen(listener, 8) == 0;
        if (::write(ready[1], set ? "y" : "n", 1) != 1)
            ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char set = 0;
    ASSERT_EQ(::read(ready[0], &set, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(set, 'y') << "the stranger's lock and socket are in place";

    const QString folder = NamedLock::privateFolder(QString(), shared.path());
    EXPECT_NE(folder.toStdString(), theirs.toStdString());
    EXPECT_TRUE(NamedLock::isPrivateFolder(folder));
    struct stat info
    {
    };
    ASSERT_EQ(::lstat(QFile::encodeName(theirs).constData(), &info), 0);
    EXPECT_EQ(info.st_uid, Stranger);
    EXPECT_EQ(info.st_mode & 07777, 0777u) << "the stranger's folder is left as it was";

    SingleInstance game(name, folder);
    EXPECT_TRUE(game.tryAcquire()) << "the game starts";
    QSignalSpy raised(&game, &SingleInstance::raiseRequested);
    SingleInstance second(name, NamedLock::privateFolder(QString(), shared.path()));
    EXPECT_FALSE(second.tryAcquire()) << "a second copy finds the first one's folder";
    EXPECT_TRUE(second.askRunningCopyToRaise());
    EXPECT_TRUE(raised.wait(3000)) << "and raises it, not the stranger";

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

TEST(SingleInstance, WithoutAnyUsableFolderTheGameStillStarts)
{
    SingleInstance game(uniqueName("nowhere"), QStringLiteral("/nonexistent/dorvane-folder"));
    EXPECT_TRUE(game.tryAcquire()) << "no check is possible: the game runs rather than ending without a word";
}

TEST(NamedMutex, SeveralHoldersNeverWait)
{
    NamedMutex a(uniqueName("mutex"));
    NamedMutex b(uniqueName("mutex"));
    EXPECT_TRUE(a.isHeld());
    EXPECT_TRUE(b.isHeld());
}

TEST(ErrorGuard, ReportsWhatEscapesAndReturns)
{
    RecordingMessageBoxes boxes;
    bool after = false;
    guarded(boxes, [] { throw std::runtime_error("'x' is not a valid integer value"); });
    guarded(boxes, [] { throw 42; });
    guarded(boxes, [&] { after = true; });
    EXPECT_EQ(boxes.errors,
              (QStringList{QStringLiteral("'x' is not a valid integer value"), QStringLiteral("Unknown error")}));
    EXPECT_TRUE(after);
    EXPECT_TRUE(boxes.messages.isEmpty());
}

} // namespace
