// What peers' names and chat can do to this client's lines: nothing but show. The client
// goes by the name the host announces for it, reads each peer's name and text as one
// isolated piece, and says when the computer plays for a player who left.
#include "chatview.h"
#include "modelfixture.h"
#include "version.h"

#include <QSignalSpy>

namespace {

using PeerNames = ModelFixture;

const QString Fsi(QChar(0x2068));
const QString Pdi(QChar(0x2069));

QString iso(const QString &text)
{
    return Fsi + text + Pdi;
}

TEST_F(PeerNames, TheClientGoesByTheNameTheHostAnnouncesForIt)
{
    QSignalSpy tally(&game, &ClientGame::tallyGame);
    state.playername = QStringLiteral("dave");
    deliver({"CMD_sendlogininfo+2", "CMD_existingplayers+1+dave", "CMD_newplayerinfo+2+dave (2)"});
    EXPECT_EQ(requests.last(), "CMD_logininfo+2+" + QByteArray(GameVersion) + "+dave")
        << "it asks for the name it was given";
    EXPECT_EQ(state.playername, QStringLiteral("dave (2)")) << "the next start request carries this name";
    EXPECT_EQ(model.seatName(2), QStringLiteral("dave (2)"));
    EXPECT_EQ(model.seatName(1), QStringLiteral("dave"));
    deliver({"CMD_startgame+dave+0+0+f+", "CMD_winner+dave (2)"});
    ASSERT_EQ(tally.count(), 1);
    EXPECT_EQ(tally.at(0).at(0).toString(), QStringLiteral("addtomine")) << "its own win, not the other dave's";
    EXPECT_EQ(model.winnerLine, QStringLiteral("You have Won the Game!"));
}

TEST_F(PeerNames, NamesAndTextAreShownIsolatedWithoutDirectionControls)
{
    login(1, "You");
    const QByteArray evil = QString::fromUtf16(u"\u202Eevil\u202C").toUtf8();
    deliver({"CMD_newplayerinfo+2+" + evil, "CMD_newplayerinfo+6+spy\u2067"});
    EXPECT_EQ(model.seatName(2), QStringLiteral("evil")) << "the label shows no direction control";
    EXPECT_TRUE(isolatedLines.contains(iso(QStringLiteral("evil")) + QStringLiteral(" is Connected.")))
        << isolatedLines.join('\n').toStdString();
    EXPECT_TRUE(isolatedLines.contains(iso(QStringLiteral("spy")) + QStringLiteral(" is spying.")));

    isolatedLines.clear();
    typedLines.clear();
    // Emoji keep their zero-width joiners; an override in the text goes.
    const QString family = QString::fromUtf16(u"\U0001F468\u200D\U0001F469");
    deliver({"CMD_chat+2+" + evil + " chats: \u202Eabc " + family.toUtf8() + "|clRed",
             "CMD_action+2+" + evil + " waves \u2066|clBlue", "CMD_chat+6+spy\u2067 chats: hi|clRed"});
    const QStringList expected{
        QStringLiteral("2+") + iso(QStringLiteral("evil")) + QStringLiteral(" chats: ")
            + iso(QStringLiteral("abc ") + family),
        QStringLiteral("2+") + iso(QStringLiteral("evil")) + QStringLiteral(" ") + iso(QStringLiteral("waves ")),
        QStringLiteral("6+") + iso(QStringLiteral("spy")) + QStringLiteral(" chats: ") + iso(QStringLiteral("hi")),
    };
    EXPECT_EQ(isolatedLines, expected);
    ASSERT_EQ(typedLines.size(), 3);
    const ChatLine action = typedLines.at(1);
    EXPECT_EQ(action.kind, ChatLine::Kind::Action);
    EXPECT_EQ(action.seat, 2);
    EXPECT_EQ(action.name, iso(QStringLiteral("evil")));
    EXPECT_EQ(action.text, iso(QStringLiteral("waves ")));
    EXPECT_EQ(action.color, QColor(0, 0, 255));
    typedLines.clear();

    isolatedLines.clear();
    // A line that does not start with the sender's name is isolated whole.
    deliver({"CMD_chat+3+nobody chats: x|clRed", "CMD_chat+0+Waiting for the host.|clBlue"});
    EXPECT_EQ(isolatedLines, (QStringList{QStringLiteral("3+") + iso(QStringLiteral("nobody chats: x")),
                                          QStringLiteral("Waiting for the host.")}))
        << "the host's own status lines show as status lines";
    ASSERT_EQ(typedLines.size(), 2);
    EXPECT_EQ(typedLines.at(0).name, QString()) << "no name heads a line that does not start with it";
    EXPECT_EQ(typedLines.at(0).color, QColor(255, 0, 0));
    EXPECT_EQ(typedLines.at(1), ChatLine::status(QStringLiteral("Waiting for the host."), QColor(0, 0, 255)));
}

TEST_F(PeerNames, TheChatSaysWhenTheComputerPlaysForAPlayerWhoLeftAndWhenAPersonTakesOver)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+2+Bob", "CMD_playerdisconnected+2+Bob"});
    EXPECT_TRUE(isolatedLines.filter(QStringLiteral("plays for")).isEmpty()) << "no game is running";
    deliver({"CMD_newplayerinfo+2+Bob", "CMD_newplayerinfo+3+Cy", "CMD_startgame+You+0+0+f+"});
    isolatedLines.clear();
    deliver({"CMD_playerdisconnected+3+Cy", "CMD_playerdisconnected+2+Bob"});
    EXPECT_EQ(isolatedLines, (QStringList{iso(QStringLiteral("Cy")) + QStringLiteral(" disconnected."),
                                          iso(QStringLiteral("Bob")) + QStringLiteral(" disconnected."),
                                          iso(QStringLiteral("Klot")) + QStringLiteral(" plays for ")
                                              + iso(QStringLiteral("Bob"))}));
    isolatedLines.clear();
    deliver("CMD_newplayerinfo+2+Dee");
    EXPECT_TRUE(isolatedLines.contains(iso(QStringLiteral("Dee")) + QStringLiteral(" takes over from ")
                                       + iso(QStringLiteral("Klot")) + QLatin1Char('.')))
        << isolatedLines.join('\n').toStdString();
    EXPECT_EQ(model.seatName(2), QStringLiteral("Dee"));
}

TEST_F(PeerNames, TheStarterOfAGameIsNamedAsAPersonReadsIt)
{
    login(1, "You");
    deliver("CMD_startgame+You+0+0+f+");
    EXPECT_TRUE(isolatedLines.contains(QStringLiteral("You have started a game.")))
        << isolatedLines.join('\n').toStdString();
    ClientModel otherModel;
    ClientState otherState;
    ClientGame other(otherModel, otherState);
    QStringList otherLines;
    QObject::connect(&other, &ClientGame::chatLine, [&](const ChatLine &line) {
        EXPECT_EQ(line.kind, ChatLine::Kind::Status);
        EXPECT_EQ(line.color, ChatLine::StatusColor);
        otherLines.append(line.text);
    });
    for (const QByteArray m : {"CMD_sendlogininfo+2", "CMD_existingplayers+1+dave", "CMD_startgame+dave+0+0+f+"})
        other.processline(m);
    EXPECT_TRUE(otherLines.contains(iso(QStringLiteral("dave")) + QStringLiteral(" has started a game.")))
        << otherLines.join('\n').toStdString();
}

TEST(PeerText, LinksAndCopiesIgnoreTheIsolates)
{
    EXPECT_EQ(ChatView::webAddress(Fsi + QStringLiteral("www.example.org") + Pdi),
              QStringLiteral("http://www.example.org"));
    EXPECT_EQ(ChatView::webAddress(Fsi + QStringLiteral("http://a.example/x") + Pdi),
              QStringLiteral("http://a.example/x"));
    EXPECT_EQ(ChatView::isolated(QString::fromUtf16(u"\u200Fa\u202Db\u061C\u200D")),
              iso(QString::fromUtf16(u"ab\u200D")));
}

} // namespace
