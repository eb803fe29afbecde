// The first messages on a connection to a real dorvane-server over loopback: opening and
// joining tables, the answers before a table's own messages, and the protections.
#include "serverprocess.h"
#include "tableclient.h"
#include "tablecode.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

const char Loopback[] = "127.0.0.1";

// A server whose 30-second first-message and log-in deadlines last 0.6 s.
QStringList fastServer(const char *timeScale = "0.02")
{
    return {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--time-scale"),
            QString::fromLatin1(timeScale)};
}

QByteArray codeIn(const QByteArray &tableOpened)
{
    return tableOpened.mid(tableOpened.indexOf('+') + 1);
}

class TableServerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(server.port(), 0) << server.failure().constData(); }

    // Opens a table as entry 1 and logs in; returns the code.
    QByteArray openTable(TableClient &client, const QByteArray &name)
    {
        client.sendMessage("CMD_opentable+");
        const QByteArray opened = client.waitForPrefix("CMD_tableopened+");
        client.sendMessage("CMD_logininfo+1+1.0.9+" + name);
        return codeIn(opened);
    }

    ServerProcess server{ServerProcess::serverProgram(), fastServer()};
};

TEST_F(TableServerTest, OpensATableAndSeatsJoinersWhateverTheCaseAndDash)
{
    TableClient alice(Loopback, server.port());
    alice.sendMessage("CMD_opentable+");
    ASSERT_TRUE(alice.waitFor([&] { return alice.messages().size() >= 2; }));
    const QByteArray opened = alice.messages().at(0);
    ASSERT_TRUE(opened.startsWith("CMD_tableopened+")) << opened.constData();
    const QByteArray code = codeIn(opened);
    EXPECT_EQ(code.size(), tablecode::Length);
    EXPECT_EQ(tablecode::normalize(QString::fromLatin1(code)).toLatin1(), code) << "eight alphabet characters";
    EXPECT_EQ(alice.messages().at(1), "CMD_sendlogininfo+1");
    alice.sendMessage("CMD_logininfo+1+1.0.9+alice");
    ASSERT_FALSE(alice.waitForPrefix("CMD_newplayerinfo+1+alice").isEmpty());
    EXPECT_TRUE(alice.withPrefix("CMD_chat+0+").isEmpty()) << "entry 1 starts the game itself";

    // As people type it: lower case, with the dash, with spaces.
    const QList<QByteArray> typed = {code.left(4).toLower() + '-' + code.mid(4), code.left(4) + ' ' + code.mid(4)};
    int entry = 2;
    std::vector<std::unique_ptr<TableClient>> guests;
    for (const QByteArray &form : typed) {
        auto &guest = guests.emplace_back(std::make_unique<TableClient>(Loopback, server.port()));
        guest->sendMessage("CMD_jointable+" + form);
        EXPECT_EQ(guest->waitForPrefix("CMD_sendlogininfo+"), "CMD_sendlogininfo+" + QByteArray::number(entry))
            << form.constData();
        guest->sendMessage("CMD_logininfo+" + QByteArray::number(entry) + "+1.0.9+guest"
                           + QByteArray::number(entry));
        EXPECT_FALSE(alice.waitForPrefix("CMD_newplayerinfo+" + QByteArray::number(entry) + "+guest").isEmpty());
        ++entry;
    }
    EXPECT_FALSE(guests.back()->waitForPrefix("CMD_existingplayers+1+alice").isEmpty());
    EXPECT_EQ(server.stop(), 0) << "SIGTERM ends it cleanly";
}

TEST_F(TableServerTest, ATableHoldsNineEntriesAndTellsTheTenthItIsFull)
{
    TableClient alice(Loopback, server.port());
    const QByteArray code = openTable(alice, "alice");
    std::vector<std::unique_ptr<TableClient>> guests;
    for (int entry = 2; entry <= 9; ++entry) {
        auto &guest = guests.emplace_back(std::make_unique<TableClient>(Loopback, server.port()));
        // Logged in at once, or the log-in deadline (0.6 s here) would free the entry.
        guest->sendMessage("CMD_jointable+" + code);
        guest->sendMessage("CMD_logininfo+" + QByteArray::number(entry) + "+1.0.9+guest");
        ASSERT_EQ(guest->waitForPrefix("CMD_sendlogininfo+"), "CMD_sendlogininfo+" + QByteArray::number(entry));
    }
    TableClient tenth(Loopback, server.port());
    tenth.sendMessage("CMD_jointable+" + code);
    ASSERT_TRUE(tenth.waitClosed());
    EXPECT_EQ(tenth.messages(), QList<QByteArray>{"CMD_full+"});
}

TEST_F(TableServerTest, AnUnknownCodeIsAnsweredWithTheCodeAsReceived)
{
    for (const QByteArray &code : {QByteArray("zzzz-zzzz"), QByteArray("not a code")}) {
        TableClient guest(Loopback, server.port());
        guest.sendMessage("CMD_jointable+" + code);
        ASSERT_TRUE(guest.waitClosed()) << code.constData();
        EXPECT_EQ(guest.messages(), QList<QByteArray>{"CMD_notable+" + code});
    }
}

TEST_F(TableServerTest, AnyOtherOrLongerFirstMessageIsClosedWithoutAnAnswer)
{
    // The longest first message the server reads: 64 bytes with the terminator.
    const QByteArray longest = "CMD_jointable+" + QByteArray(64 - 15, 'A');
    TableClient fits(Loopback, server.port());
    fits.sendMessage(longest);
    ASSERT_TRUE(fits.waitClosed());
    EXPECT_EQ(fits.messages(), QList<QByteArray>{"CMD_notable+" + longest.mid(14)});

    const QList<QByteArray> refused = {
        "CMD_jointable+" + QByteArray(64 - 14, 'A') + char(0xFF), // one byte too long
        QByteArray(200, 'x'),                                     // no terminator at all
        QByteArray("hello") + char(0xFF),
        QByteArray("CMD_logininfo+1+1.0.9+alice") + char(0xFF), // a table's request, too early
        QByteArray("CMD_opentable+extra") + char(0xFF),
        QByteArray("CMD_jointable+") + char(0xFF),
        QByteArray("\0\xff", 2),
    };
    for (const QByteArray &first : refused) {
        TableClient peer(Loopback, server.port());
        peer.send(first);
        EXPECT_TRUE(peer.waitClosed()) << first.toHex().constData();
        EXPECT_TRUE(peer.messages().isEmpty()) << first.toHex().constData();
    }
}

TEST_F(TableServerTest, AFirstMessageMayTrickleInButNotPastItsDeadline)
{
    // Byte by byte, well within the deadline (0.6 s here): served.
    TableClient slow(Loopback, server.port());
    const QByteArray open = QByteArray("CMD_opentable+") + char(0xFF);
    for (const char byte : open) {
        slow.send(QByteArray(1, byte));
        QThread::msleep(10);
    }
    EXPECT_FALSE(slow.waitForPrefix("CMD_tableopened+").isEmpty());

    // Silent, and trickling too slowly to finish in time: both closed without an answer.
    TableClient silent(Loopback, server.port());
    TableClient trickle(Loopback, server.port());
    QElapsedTimer clock;
    clock.start();
    for (qsizetype i = 0; i < open.size() - 1 && !trickle.closedByServer(); ++i) {
        trickle.send(open.mid(i, 1));
        trickle.waitFor([&] { return trickle.closedByServer(); }, 100);
    }
    EXPECT_TRUE(trickle.waitClosed());
    EXPECT_TRUE(silent.waitClosed());
    EXPECT_TRUE(trickle.messages().isEmpty());
    EXPECT_TRUE(silent.messages().isEmpty());
    EXPECT_GE(clock.elapsed(), 500) << "closed before its deadline";
}

TEST(TableServerLimits, AnAddressGuessingCodesIsIgnoredButStillServedItsRealCode)
{
    // A minute lasts 12 s here: the eleven guesses fall within it even on a busy machine.
    ServerProcess server(ServerProcess::serverProgram(), fastServer("0.2"));
    ASSERT_NE(server.port(), 0) << server.failure().constData();
    TableClient alice(Loopback, server.port());
    alice.sendMessage("CMD_opentable+");
    const QByteArray code = codeIn(alice.waitForPrefix("CMD_tableopened+"));
    alice.sendMessage("CMD_logininfo+1+1.0.9+alice");
    const char guesser[] = "127.0.0.7";
    for (int i = 1; i <= 11; ++i) {
        TableClient guess(Loopback, server.port(), guesser);
        ASSERT_TRUE(guess.connected());
        guess.sendMessage("CMD_jointable+ABCD-EFG" + QByteArray::number(i % 8 + 2));
        ASSERT_TRUE(guess.waitClosed());
        EXPECT_EQ(guess.withPrefix("CMD_notable+").size(), 1) << "guess " << i << " is answered";
    }
    TableClient twelfth(Loopback, server.port(), guesser);
    twelfth.sendMessage("CMD_jointable+ABCDEFGH");
    ASSERT_TRUE(twelfth.waitClosed());
    EXPECT_TRUE(twelfth.messages().isEmpty()) << "past ten unknown codes a minute: no answer";

    // The same address's real code (many players can share one address).
    TableClient friendly(Loopback, server.port(), guesser);
    friendly.sendMessage("CMD_jointable+" + code.toLower());
    EXPECT_EQ(friendly.waitForPrefix("CMD_sendlogininfo+"), "CMD_sendlogininfo+2");
    // Another address is not affected.
    TableClient other(Loopback, server.port(), "127.0.0.8");
    other.sendMessage("CMD_jointable+ABCDEFGH");
    ASSERT_TRUE(other.waitClosed());
    EXPECT_EQ(other.messages(), QList<QByteArray>{"CMD_notable+ABCDEFGH"});
}

TEST(TableServerLimits, AnAddressHoldsAtMost256Connections)
{
    // A slower clock: the first-message deadline (6 s) must not close the held connections.
    ServerProcess server(ServerProcess::serverProgram(), fastServer("0.2"));
    ASSERT_NE(server.port(), 0) << server.failure().constData();
    std::vector<std::unique_ptr<TableClient>> held;
    for (int i = 0; i < 256; ++i) {
        held.push_back(std::make_unique<TableClient>(Loopback, server.port(), "127.0.0.9"));
        ASSERT_TRUE(held.back()->connected());
    }
    TableClient tooMany(Loopback, server.port(), "127.0.0.9");
    tooMany.sendMessage("CMD_opentable+");
    EXPECT_TRUE(tooMany.waitClosed());
    EXPECT_TRUE(tooMany.messages().isEmpty());

    TableClient elsewhere(Loopback, server.port(), "127.0.0.10");
    elsewhere.sendMessage("CMD_opentable+");
    EXPECT_FALSE(elsewhere.waitForPrefix("CMD_tableopened+").isEmpty());
    // One of the 256 leaving makes room for the next (once the server has seen it go).
    held.front()->close();
    bool admitted = false;
    for (int attempt = 0; attempt < 50 && !admitted; ++attempt) {
        TableClient next(Loopback, server.port(), "127.0.0.9");
        next.sendMessage("CMD_opentable+");
        admitted = !next.waitForPrefix("CMD_tableopened+", 1000).isEmpty();
    }
    EXPECT_TRUE(admitted);
}

TEST(TableServerLog, LogsTablesByTheStartOfTheirCodeAndSumsUpWhatItDropped)
{
    // A summary line every 0.6 s.
    ServerProcess server(ServerProcess::serverProgram(), fastServer("0.01"));
    ASSERT_NE(server.port(), 0) << server.failure().constData();
    QByteArray code;
    {
        TableClient alice(Loopback, server.port());
        alice.sendMessage("CMD_opentable+");
        code = codeIn(alice.waitForPrefix("CMD_tableopened+"));
        TableClient guess(Loopback, server.port());
        guess.sendMessage("CMD_jointable+ABCDEFGH");
        ASSERT_TRUE(guess.waitClosed());
        TableClient garbage(Loopback, server.port());
        garbage.sendMessage("hello");
        ASSERT_TRUE(garbage.waitClosed());
    }
    QElapsedTimer clock;
    clock.start();
    while (!server.log().contains("closed after") || !server.log().contains("unknown code 1")) {
        ASSERT_LT(clock.elapsed(), 5000) << server.log().constData();
        QThread::msleep(20);
    }
    const QByteArray log = server.log();
    EXPECT_TRUE(log.contains("table " + code.left(2) + ".. opened")) << log.constData();
    EXPECT_FALSE(log.contains(code)) << "the whole code never appears in the log";
    EXPECT_TRUE(log.contains("dropped: unknown code 1, bad first message 1")) << log.constData();
    EXPECT_TRUE(log.contains(" tables, ")) << log.constData();
}

TEST(DorvaneServerProgram, WrongOptionsOrAPortInUseEndItWithAMessage)
{
    const QList<QStringList> wrong = {
        {QStringLiteral("--port"), QStringLiteral("70000")},
        {QStringLiteral("--time-scale"), QStringLiteral("fast")},
        {QStringLiteral("--shard"), QStringLiteral("0")},
        {QStringLiteral("--bogus")},
        {QStringLiteral("--shard"), QStringLiteral("0"), QStringLiteral("--shards"),
         QStringLiteral("/nonexistent")},
    };
    for (const QStringList &args : wrong) {
        QProcess p;
        p.start(ServerProcess::serverProgram(), args);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_NE(p.exitCode(), 0) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().startsWith("dorvane-server: ")) << args.join(' ').toStdString();
    }
    ServerProcess first(ServerProcess::serverProgram(), fastServer());
    ASSERT_NE(first.port(), 0);
    QProcess second;
    second.start(ServerProcess::serverProgram(), {QStringLiteral("--port"), QString::number(first.port())});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_NE(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("cannot listen on port"));
}

} // namespace
