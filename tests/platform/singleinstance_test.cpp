// SingleInstance and NamedLock: one copy per name, a second one raises the first, crashes never block.
#include "errorguard.h"
#include "namedlock.h"
#include "namedmutex.h"
#include "singleinstance.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString uniqueName(const char *what)
{
    return QStringLiteral("dorvane-test-%1-%2").arg(QString::fromLatin1(what)).arg(QCoreApplication::applicationPid());
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
    EXPECT_EQ(boxes.errors, (QStringList{QStringLiteral("'x' is not a valid integer value"),
                                         QStringLiteral("Unknown error")}));
    EXPECT_TRUE(after);
    EXPECT_TRUE(boxes.messages.isEmpty());
}

} // namespace
