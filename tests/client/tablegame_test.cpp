// A game at a table: two windows started with the table forms of the command line, in front
// of a real in-process host reached through a stand-in table server that answers each
// connection's first message and then passes its bytes through.
#include "board.h"
#include "chatform.h"
#include "clientsettings.h"
#include "gamesession.h"
#include "messageframer.h"
#include "picturebutton.h"
#include "playerwindow.h"
#include "protocol.h"
#include "scriptedhost.h"
#include "serverform.h"
#include "tablepreamble.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <memory>
#include <variant>
#include <vector>

namespace {

// One table with a fixed code: every connection that opens it or joins it by that code gets
// a connection of its own to the host, as a table server's table would.
class TableRelay
{
public:
    TableRelay(quint16 hostPort, const QByteArray &code)
        : m_hostPort(hostPort)
        , m_code(code)
    {
        m_listener.setPortName(QStringLiteral("0"));
        m_listener.OnAccept = [this](TSock *s) {
            TSock *client = nullptr;
            if (s->Accept(client))
                m_links.push_back(std::make_unique<Link>(client));
        };
        m_listener.OnRead = [this](TSock *s, int) { clientRead(s); };
        m_listener.setListen(true);
    }

    quint16 port() const { return m_listener.boundPort(); }
    // The table server goes away: every connection ends.
    void vanish()
    {
        for (const auto &link : m_links) {
            link->upstream.Close();
            link->client->Close();
        }
        m_listener.Close();
    }

private:
    struct Link
    {
        explicit Link(TSock *accepted)
            : client(accepted)
        {
        }
        TSock *client; // owned by the listener
        TSock upstream;
        MessageFramer framer;
        bool relaying = false;
    };

    void clientRead(TSock *s)
    {
        for (const auto &link : m_links) {
            if (link->client != s)
                continue;
            if (link->relaying) {
                link->upstream.Send(s->Receive());
                return;
            }
            const QList<QByteArray> first = link->framer.feed(s->Receive());
            if (first.isEmpty())
                return;
            const auto request = protocol::parseTableRequest(first.first());
            if (!request) {
                s->Close();
                return;
            }
            if (std::holds_alternative<protocol::OpenTable>(*request))
                s->Send(protocol::frame(protocol::TableOpened{m_code}.build()));
            link->relaying = true;
            Link *raw = link.get();
            raw->upstream.OnRead = [raw](TSock *up, int) { raw->client->Send(up->Receive()); };
            raw->upstream.setHostName(QStringLiteral("127.0.0.1"));
            raw->upstream.setPortName(QString::number(m_hostPort));
            raw->upstream.Open();
            return;
        }
    }

    quint16 m_hostPort;
    QByteArray m_code;
    TSock m_listener;
    std::vector<std::unique_ptr<Link>> m_links;
};

struct Seat : Player
{
    Seat(quint16 lobbyPort, const QString &mutex, const QStringList &parameters)
    {
        create(0, lobbyPort, mutex);
        chat->setParameters(parameters);
        chat->show();
    }
    Board &board() const { return chat->board(); }
    QString chatText() const { return chat->board().mainchat->toPlainText(); }
    bool loggedIn() const { return chat->session().state().loggedin; }
};

TEST(TableGame, TheOpenerStartsTheGameTheJoinerSitsAndAVanishedServerEndsItForBoth)
{
    QApplication::setQuitOnLastWindowClosed(false);
    ScriptedHost lobby;
    TServer server;
    server.setPortName(QStringLiteral("0"));
    server.startListening();
    TableRelay relay(server.listeningPort(), "K7Q2M9XA");
    const QString at = QStringLiteral("@127.0.0.1:%1").arg(relay.port());
    const QString pid = QString::number(QCoreApplication::applicationPid());

    Seat ann(lobby.port(), QStringLiteral("dorvane-table-a-") + pid,
             {QStringLiteral("Ann"), at, QStringLiteral("true")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.loggedIn(); }, 5000)) << ann.chatText().toStdString();
    EXPECT_EQ(ann.chat->session().state().myid, 1);
    EXPECT_TRUE(ann.chatText().contains(QStringLiteral("Its code: K7Q2-M9XA")));

    Seat bob(lobby.port(), QStringLiteral("dorvane-table-b-") + pid,
             {QStringLiteral("Bob"), QStringLiteral("k7q2-m9xa") + at, QStringLiteral("false")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return bob.loggedIn(); }, 5000)) << bob.chatText().toStdString();
    EXPECT_EQ(bob.chat->session().state().myid, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.board().playerName(2)->text() == QStringLiteral("Bob"); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return bob.board().playerName(1)->text() == QStringLiteral("Ann"); }, 5000));

    // The table's first entry starts the game, as a hosting player does.
    ASSERT_TRUE(ann.board().button_start->isVisible());
    EXPECT_FALSE(bob.board().button_start->isVisible());
    QTest::mouseClick(ann.board().button_start, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ann.board().button_start->isVisible(); }, 5000))
        << "the host started the game";

    relay.vanish();
    for (const Seat *seat : {&ann, &bob}) {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return seat->chatText().contains(QStringLiteral("The connection to the host has ended")); },
            5000))
            << seat->chatText().toStdString();
        EXPECT_TRUE(seat->boxes.errors.isEmpty()) << seat->boxes.errors.join(" | ").toStdString();
    }
    EXPECT_EQ(ClientSettings(ann.dir.filePath(QStringLiteral("vornlobby.ini"))).readTableServer(), at.mid(1));
    bob.chat.reset();
    ann.chat.reset();
}

} // namespace
