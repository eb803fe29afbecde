// Table through a scripted driver: what it sends, when it asks for a close, the exemption
// the driver grants, log-in deadlines on the driver's clock, and the timers it asks for.
#include "announcements.h"
#include "gamerandom.h"
#include "protocol.h"
#include "table.h"
#include "tabledriver.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// Records everything the table asks for. Closes "now" are reported back at once, like a
// socket that closes; closes "later" wait for runCloses().
class ScriptedDriver : public TableDriver
{
public:
    qsizetype send(int entry, const QByteArray &bytes) override
    {
        sent[entry].append(bytes);
        return unsentAfterSend;
    }
    void close(int entry, When when) override
    {
        closes.push_back({entry, when});
        if (when == When::Now && table)
            table->connectionClosed(entry);
    }
    double nowMs() const override { return now; }
    void startTimer(TableTimer timer, int intervalMs) override { running[timer] = intervalMs; }
    void stopTimer(TableTimer timer) override { running.erase(timer); }
    void onSeatsChanged() override { ++seatsChanges; }
    void onRequestDropped(const QString &reason) override { dropped.append(reason); }

    void runCloses()
    {
        const auto pending = closes;
        closes.clear();
        for (const auto &c : pending) {
            if (c.when == When::Later)
                table->connectionClosed(c.entry);
        }
    }
    bool closeAsked(int entry, When when) const
    {
        for (const auto &c : closes) {
            if (c.entry == entry && c.when == when)
                return true;
        }
        return false;
    }
    // Every message sent to entry, without terminators.
    QList<QByteArray> messages(int entry) const
    {
        QList<QByteArray> out = sent.count(entry) ? sent.at(entry).split('\xff') : QList<QByteArray>{};
        if (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }

    struct Close
    {
        int entry;
        When when;
    };
    Table *table = nullptr;
    std::map<int, QByteArray> sent;
    std::vector<Close> closes;
    std::map<TableTimer, int> running;
    QStringList dropped;
    double now = 0;
    qsizetype unsentAfterSend = 0;
    int seatsChanges = 0;
};

class TableTest : public ::testing::Test
{
protected:
    void SetUp() override { driver.table = &table; }

    int open(bool exempt = false)
    {
        const int entry = table.entryForNewConnection();
        table.connectionOpened(entry, exempt);
        return entry;
    }
    void login(int entry, const QByteArray &name)
    {
        request(entry, "CMD_logininfo+" + QByteArray::number(entry) + "+1.0.9+" + name);
    }
    // Queues the line on entry and serves everything waiting.
    void request(int entry, const QByteArray &line)
    {
        table.receive(entry, line + '\xff');
        for (int i = 0; i < 1000 && table.queuedRequests() > 0; ++i)
            table.timerFired(TableTimer::Dispatch);
    }

    ScriptedDriver driver;
    Table table{driver};
};

TEST_F(TableTest, ANewConnectionHearsItsEntryFramedAndTheDriverHearsOfIt)
{
    const int entry = open();
    EXPECT_EQ(entry, 1);
    EXPECT_EQ(driver.sent[1], QByteArray("CMD_sendlogininfo+1\xff"));
    EXPECT_EQ(driver.seatsChanges, 1);
    login(1, "Ann");
    EXPECT_EQ(driver.messages(1).value(1), "CMD_newplayerinfo+1+Ann");
}

TEST_F(TableTest, TheDispatchTimerRunsWhileRequestsWait)
{
    open();
    table.receive(1, "CMD_chat+1+a\xff"
                     "CMD_chat+1+b\xff");
    ASSERT_TRUE(driver.running.count(TableTimer::Dispatch));
    EXPECT_EQ(driver.running[TableTimer::Dispatch], Table::DispatchStepMs);
    table.timerFired(TableTimer::Dispatch);
    EXPECT_TRUE(driver.running.count(TableTimer::Dispatch)) << "one request per step";
    table.timerFired(TableTimer::Dispatch);
    EXPECT_FALSE(driver.running.count(TableTimer::Dispatch));
    EXPECT_EQ(table.queuedRequests(), 0);
}

TEST_F(TableTest, UnknownCommandsAreIgnoredAndAClosedConnectionsRequestsGoWithIt)
{
    open();
    open();
    login(1, "Ann");
    request(2, "CMD_nosuchthing+2+x");
    EXPECT_TRUE(driver.dropped.isEmpty()) << driver.dropped.join('\n').toStdString();

    table.receive(2, "CMD_rollthedice+x\xff");
    table.connectionClosed(2);
    table.connectionOpened(2, false); // a later holder of entry 2
    table.receive(2, "CMD_chat+2+hi\xff");
    ASSERT_EQ(table.queuedRequests(), 1) << "a new connection starts with an empty queue";
    table.timerFired(TableTimer::Dispatch);
    EXPECT_EQ(driver.messages(1).last(), "CMD_chat+2+ chats: hi") << "its own requests are served";
    EXPECT_TRUE(driver.dropped.isEmpty()) << "the closed connection's malformed line was never read";
}

TEST_F(TableTest, AnExemptConnectionIsTrimmedWhereOthersAreClosed)
{
    const int host = open(true);
    const int guest = open(false);
    EXPECT_TRUE(table.exempt(host));
    EXPECT_FALSE(table.exempt(guest));
    QByteArray flood;
    for (qsizetype i = 0; i <= RequestQueue::MaxWaitingPerConnection; ++i)
        flood += "CMD_chat+1+f\xff";
    table.receive(host, flood);
    table.receive(guest, flood);
    EXPECT_FALSE(driver.closeAsked(host, TableDriver::When::Later));
    EXPECT_TRUE(driver.closeAsked(guest, TableDriver::When::Later));
    EXPECT_EQ(table.queuedRequests(), RequestQueue::MaxWaitingPerConnection) << "the host's lines that fitted";

    table.receive(guest, "CMD_chat+2+late\xff");
    driver.runCloses();
    EXPECT_FALSE(table.state().seats[guest].connected);
    EXPECT_EQ(driver.messages(host).last(), "CMD_playerdisconnected+2+");
    EXPECT_FALSE(table.exempt(guest));
}

TEST_F(TableTest, TheExemptionEndsWithItsConnection)
{
    const int host = open(true);
    table.connectionClosed(host);
    EXPECT_EQ(open(false), host);
    EXPECT_FALSE(table.exempt(host)) << "the entry's next holder is not exempt";
}

TEST_F(TableTest, LogInDeadlinesRunOnTheDriversClock)
{
    open(true);
    EXPECT_FALSE(driver.running.count(TableTimer::LoginDeadline)) << "the exempt connection has no deadline";
    driver.now = 500;
    const int late = open();
    driver.now = 1500;
    const int prompt = open();
    ASSERT_TRUE(driver.running.count(TableTimer::LoginDeadline));
    EXPECT_EQ(driver.running[TableTimer::LoginDeadline], LoginDeadlines::LoginTimeoutMs - 1000)
        << "the timer runs to the earliest deadline";

    login(prompt, "Bea");
    driver.now = 500 + LoginDeadlines::LoginTimeoutMs - 1;
    table.timerFired(TableTimer::LoginDeadline);
    EXPECT_TRUE(driver.closes.empty()) << "a timer that fires early closes nothing";
    EXPECT_EQ(driver.running[TableTimer::LoginDeadline], 1);

    driver.now += 1;
    table.timerFired(TableTimer::LoginDeadline);
    EXPECT_TRUE(driver.closeAsked(late, TableDriver::When::Later));
    EXPECT_FALSE(driver.closeAsked(prompt, TableDriver::When::Later));
    EXPECT_FALSE(driver.running.count(TableTimer::LoginDeadline)) << "nobody else is waiting";
    ASSERT_FALSE(driver.dropped.isEmpty());
    EXPECT_TRUE(driver.dropped.last().contains("no log-in within 30 s"));
}

TEST_F(TableTest, APeerThatStopsReadingOrFailsIsClosed)
{
    open();
    open();
    login(1, "Ann");
    driver.unsentAfterSend = Table::MaxUnsentBytes + 1;
    login(2, "Bob");
    EXPECT_TRUE(driver.closeAsked(1, TableDriver::When::Later));
    EXPECT_TRUE(driver.closeAsked(2, TableDriver::When::Later));
    driver.runCloses();
    driver.unsentAfterSend = -1;
    open();
    EXPECT_TRUE(driver.closeAsked(1, TableDriver::When::Later)) << "a failed send closes the connection";
}

TEST_F(TableTest, KickingClosesAtOnceAndTheOthersHearIt)
{
    open(true);
    open();
    login(1, "Ann");
    login(2, "Bob");
    request(1, "CMD_kickhim+1+2");
    EXPECT_TRUE(driver.closeAsked(2, TableDriver::When::Now));
    EXPECT_FALSE(table.state().seats[2].connected);
    EXPECT_EQ(driver.messages(1).last(), "CMD_playerdisconnected+2+Bob");
    EXPECT_EQ(driver.seatsChanges, 3);
}

TEST_F(TableTest, AComputerTurnWaitsForABotSpeedThenRunsOnTheComputerTimer)
{
    seedGameRandom(3);
    open(true);
    login(1, "Ann");
    request(1, "CMD_startgame+Ann+0+0+f+");
    request(1, "CMD_justwatch+1+1");
    EXPECT_TRUE(table.computerTimerArmed());
    EXPECT_FALSE(table.computerTimerRunning()) << "no bot speed yet";
    EXPECT_FALSE(driver.running.count(TableTimer::Computer));

    request(1, "CMD_botspeed+1+700");
    ASSERT_TRUE(table.computerTimerRunning());
    EXPECT_EQ(driver.running[TableTimer::Computer], 700);
    driver.running.erase(TableTimer::Computer); // it fires once
    table.timerFired(TableTimer::Computer);
    EXPECT_TRUE(driver.messages(1).last().startsWith("CMD_createdice+1+1+"));
    EXPECT_EQ(driver.running[TableTimer::Computer], 700) << "the keep step follows";
}

TEST_F(TableTest, ThePauseTicksOnThePauseTimerUntilTheNextTurn)
{
    seedGameRandom(5);
    open(true);
    login(1, "Ann");
    request(1, "CMD_botspeed+1+500");
    request(1, "CMD_startgame+Ann+0+0+f+");
    request(1, "CMD_rollthedice+1+1+2+3+4+5+6+7+8+9+10");
    request(1, "CMD_alldone+1+none");
    ASSERT_TRUE(table.pauseTimerRunning());
    EXPECT_EQ(driver.running[TableTimer::Pause], Table::PauseStepMs);
    for (int tick = 1; tick < TurnEngine::PauseTicks; ++tick)
        table.timerFired(TableTimer::Pause);
    EXPECT_NE(driver.messages(1).last(), "CMD_nextplayer+2+1+1+");
    table.timerFired(TableTimer::Pause);
    EXPECT_EQ(driver.messages(1).last(), "CMD_nextplayer+2+1+1+");
    EXPECT_FALSE(table.pauseTimerRunning());
    EXPECT_FALSE(driver.running.count(TableTimer::Pause));
    table.timerFired(TableTimer::Pause); // a stale firing changes nothing
    EXPECT_EQ(driver.messages(1).last(), "CMD_nextplayer+2+1+1+");
}

} // namespace
