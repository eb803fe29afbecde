// SingleInstance and NamedLock: one copy per name, a second one raises the first, crashes never block.
#include "errorguard.h"
#include "namedlock.h"
#include "namedmutex.h"
#include "singleinstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
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
