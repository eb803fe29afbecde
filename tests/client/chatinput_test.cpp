// Typing, phrases, smileys and chatter sounds below the chat.
#include "board.h"
#include "chatinput.h"
#include "clientstate.h"
#include "pixels.h"
#include "protocollimits.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class ChatInputTest : public ::testing::Test
{
protected:
    ChatInputTest()
    {
        state.loggedin = true;
        state.myid = 2;
        input.setClock([this] { return now; });
        QObject::connect(&input, &ChatInput::requestReady, [this](const QByteArray &m) { sent.append(m); });
        model.seats[1].status = SeatOccupant::Player;
        model.seats[1].name = QStringLiteral("Ann");
    }

    QLineEdit *box() const { return board.findChild<QLineEdit *>(QStringLiteral("mychat")); }
    QAction *item(QMenu *menu, const QString &name) const { return menu->findChild<QAction *>(name); }

    Board board;
    ClientModel model;
    ClientState state;
    ChatInput input{board, model, state};
    QList<QByteArray> sent;
    qint64 now = 1000;
};

TEST_F(ChatInputTest, EnterSendsChatActionOrNothing)
{
    struct Case
    {
        const char *typed;
        QByteArray message; // empty: nothing sent
    };
    const Case cases[] = {
        {"hello there", "CMD_chat+2+hello there|clBlack"},
        {"/me waves", "CMD_action+2+waves|clBlack"},
        {"/quit", ""},
        {"/", ""},
        {"", ""},
        {"h\xc3\xa9 | x", "CMD_chat+2+h\xc3\xa9 | x|clBlack"},
    };
    for (const Case &c : cases) {
        sent.clear();
        box()->setText(QString::fromUtf8(c.typed));
        QTest::keyClick(box(), Qt::Key_Return);
        EXPECT_EQ(sent, c.message.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{c.message}) << c.typed;
        EXPECT_TRUE(box()->text().isEmpty()) << c.typed;
    }
}

TEST_F(ChatInputTest, ChatCarriesTheTextColour)
{
    input.setTextColor(QColor(255, 128, 64));
    box()->setText(QStringLiteral("hi"));
    input.sendit();
    EXPECT_EQ(sent, QList<QByteArray>{"CMD_chat+2+hi|$004080FF"});
}

TEST_F(ChatInputTest, TheChosenTextColourShowsInTheBox)
{
    const auto drawsIn = [this](const QColor &colour) { return hasPixel(box()->grab().toImage(), colour); };
    box()->setText(QStringLiteral("WWW typed"));
    for (const QColor &colour : {QColor(200, 0, 0), QColor(0, 0, 255)}) {
        input.setTextColor(colour);
        EXPECT_TRUE(drawsIn(colour)) << qPrintable(colour.name());
        EXPECT_EQ(box()->palette().color(QPalette::Text), colour);
    }
    EXPECT_FALSE(drawsIn(QColor(200, 0, 0))) << "the earlier colour is gone";
    EXPECT_TRUE(box()->styleSheet().isEmpty());
}

TEST_F(ChatInputTest, EnterBeforeLogInKeepsTheText)
{
    state.loggedin = false;
    box()->setText(QStringLiteral("early words"));
    QTest::keyClick(box(), Qt::Key_Enter);
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_EQ(box()->text(), QStringLiteral("early words"));
}

TEST_F(ChatInputTest, FirstKeyRemovesThePlaceholder)
{
    ASSERT_EQ(box()->text(), ChatInput::Placeholder);
    QTest::keyClicks(box(), QStringLiteral("ok"));
    EXPECT_EQ(box()->text(), QStringLiteral("ok"));
}

TEST_F(ChatInputTest, PhrasesAreGatedForTwoSeconds)
{
    board.b_phrase[7]->click();
    EXPECT_EQ(sent, QList<QByteArray>{"CMD_action+2+says: Thanks!|clBlack"});
    now += 1999;
    board.b_phrase[1]->click();
    EXPECT_EQ(sent.size(), 1);
    now += 1;
    board.b_phrase[1]->click();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[1], "CMD_action+2+says: Way To Go!|clBlack");
    now += 5000;
    input.setPhrases({QStringLiteral("/me waves")});
    board.b_phrase[1]->click();
    ASSERT_EQ(sent.size(), 3);
    EXPECT_EQ(sent[2], "CMD_action+2+waves|clBlack");
}

TEST_F(ChatInputTest, PhraseButtonsStartWithTheDefaults)
{
    EXPECT_EQ(input.phrases(), ChatInput::defaultPhrases());
    EXPECT_EQ(board.b_phrase[9]->toolTip(), QStringLiteral("Good Game Everyone!"));
}

TEST_F(ChatInputTest, SmileyItemsAppendTheirCode)
{
    QMenu *menu = input.popup_smilies();
    ASSERT_EQ(menu->actions().size(), 18);
    EXPECT_EQ(menu->actions().first()->text(), QStringLiteral(":)#10"));
    EXPECT_EQ(menu->actions().last()->text(), QStringLiteral(":)#27"));
    item(menu, QStringLiteral("smiley15"))->trigger();
    EXPECT_EQ(box()->text(), QStringLiteral(":)#15"));
    box()->setText(QStringLiteral("hi "));
    box()->setCursorPosition(0);
    item(menu, QStringLiteral("smiley27"))->trigger();
    EXPECT_EQ(box()->text(), QStringLiteral("hi :)#27"));
    EXPECT_EQ(box()->cursorPosition(), 8);
    EXPECT_TRUE(sent.isEmpty());
}

// The two menus are made when their buttons are first clicked, with their names, entries,
// pictures and order, and made once.
TEST_F(ChatInputTest, MenusAreMadeWhenFirstOpened)
{
    struct MenuCase
    {
        const char *menu;
        QToolButton *button;
        int entries;
        const char *first, *last; // object names
        bool pictures;
    };
    const MenuCase cases[] = {
        {"popup_smilies", board.button_smilies, 18, "smiley10", "smiley27", true},
        {"popup_sounds", board.b_phrase[10], 21, "Cancel1", "wave20", false},
    };
    for (const MenuCase &c : cases) {
        const QString name = QString::fromLatin1(c.menu);
        EXPECT_EQ(board.findChild<QMenu *>(name), nullptr) << c.menu << " made before it was opened";
        c.button->click();
        auto *menu = board.findChild<QMenu *>(name);
        ASSERT_NE(menu, nullptr) << c.menu;
        EXPECT_TRUE(menu->isVisible()) << c.menu;
        const QList<QAction *> items = menu->actions();
        ASSERT_EQ(items.size(), c.entries) << c.menu;
        EXPECT_EQ(items.first()->objectName(), QString::fromLatin1(c.first)) << c.menu;
        EXPECT_EQ(items.last()->objectName(), QString::fromLatin1(c.last)) << c.menu;
        for (int i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i]->data().toInt(), (c.pictures ? 10 : 0) + i) << c.menu << " entry " << i;
            EXPECT_EQ(!items[i]->icon().isNull(), c.pictures) << c.menu << " entry " << i;
        }
        menu->close();
        c.button->click();
        EXPECT_EQ(board.findChildren<QMenu *>(name).size(), 1) << c.menu << " made twice";
        menu->close();
    }
    EXPECT_EQ(input.popup_sounds()->actions().at(13)->text(), QStringLiteral("Applause"));
}

TEST_F(ChatInputTest, ChatterSoundsOnlyFromSeatedPlayers)
{
    QMenu *menu = input.popup_sounds();
    ASSERT_EQ(menu->actions().size(), 21);
    EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("<Cancel>"));
    EXPECT_EQ(item(menu, QStringLiteral("wave5"))->text(), QStringLiteral("Where have you been?"));
    item(menu, QStringLiteral("Cancel1"))->trigger();
    EXPECT_TRUE(sent.isEmpty());
    item(menu, QStringLiteral("wave13"))->trigger();
    EXPECT_EQ(sent, QList<QByteArray>{"CMD_playasound+2+wave13+"});
    sent.clear();
    state.myid = 5; // a spectator
    item(menu, QStringLiteral("wave1"))->trigger();
    state.myid = 1;
    state.loggedin = false;
    item(menu, QStringLiteral("wave1"))->trigger();
    EXPECT_TRUE(sent.isEmpty());
}

TEST_F(ChatInputTest, ReceivedChatterSoundPlaysOrBecomesALine)
{
    QSignalSpy lines(&input, &ChatInput::statusLine);
    QSignalSpy sounds(&input, &ChatInput::chatterSound);
    input.playasound({1, QStringLiteral("wave13")}, false);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0][0].toString(), QStringLiteral("Ann: <Chatter Sound> Applause"));
    input.playasound({1, QStringLiteral("wave99")}, false);
    input.playasound({0, QString()}, false);
    EXPECT_EQ(lines.size(), 1);
    EXPECT_TRUE(sounds.isEmpty());
    input.playasound({1, QStringLiteral("WAVE5")}, true);
    ASSERT_EQ(sounds.size(), 1);
    EXPECT_EQ(sounds[0][0].value<ChatterSound>(), (ChatterSound{1, QStringLiteral("WAVE5")}));
    EXPECT_EQ(lines.size(), 1);
}

TEST_F(ChatInputTest, PasteAppendsTheClipboardText)
{
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    item(input.popup_mychat(), QStringLiteral("Paste1"))->trigger();
    EXPECT_EQ(box()->text(), ChatInput::Placeholder + QStringLiteral("pasted"));
    box()->setText(QStringLiteral("ab"));
    box()->setCursorPosition(0);
    QTest::keyClick(box(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box()->text(), QStringLiteral("abpasted"));
    EXPECT_EQ(box()->cursorPosition(), 8);
}

TEST_F(ChatInputTest, ChatBoxStopsAtTheLimitAndSaysWhyOnce)
{
    constexpr int Max = limits::MaxChatChars;
    QSignalSpy lines(&input, &ChatInput::statusLine);
    box()->setText(QString(Max - 1, QLatin1Char('a')));
    QTest::keyClicks(box(), QStringLiteral("bcd"));
    EXPECT_EQ(box()->text(), QString(Max - 1, QLatin1Char('a')) + QLatin1Char('b'));
    ASSERT_EQ(lines.size(), 1) << "one note however often the user types on";
    EXPECT_EQ(lines[0][0].toString(), ChatInput::limitNote());

    input.insertSmiley(15); // a smiley that does not fit is not cut in half
    EXPECT_EQ(box()->text().size(), Max);
    EXPECT_EQ(lines.size(), 1);

    QTest::keyClick(box(), Qt::Key_Backspace);
    QTest::keyClicks(box(), QStringLiteral("ef"));
    EXPECT_EQ(box()->text().right(2), QStringLiteral("ae"));
    EXPECT_EQ(lines.size(), 2) << "the note again after the box had room";

    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].size(), QByteArray("CMD_chat+2+|clBlack").size() + Max);
}

TEST_F(ChatInputTest, PasteIsCutAtTheLimitWithTheNote)
{
    constexpr int Max = limits::MaxChatChars;
    QSignalSpy lines(&input, &ChatInput::statusLine);
    box()->setText(QStringLiteral("start "));
    QApplication::clipboard()->setText(QString(Max, QLatin1Char('p')));
    QTest::keyClick(box(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box()->text(), QStringLiteral("start ") + QString(Max - 6, QLatin1Char('p')));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0][0].toString(), ChatInput::pasteCutNote());

    // A character outside the basic plane is never cut in half.
    box()->setText(QString(Max - 1, QLatin1Char('a')));
    QApplication::clipboard()->setText(QStringLiteral("\U0001F600"));
    input.pasteClipboard();
    EXPECT_EQ(box()->text(), QString(Max - 1, QLatin1Char('a')));
}

} // namespace
