// Chat through the main window: typed lines and received ones, sounds and the clip files.
#include "chatinput.h"
#include "chatview.h"
#include "clientfixture.h"
#include "soundplayer.h"

#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QtEndian>

namespace {

class ChatWindow : public ClientFixture
{
};

TEST_F(ChatWindow, TypedLinesGoToTheHostAndComeBackStyled)
{
    login(2, "Ann");
    QLineEdit *box = find<QLineEdit>(QStringLiteral("mychat"));
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("hi www.a.org :)#12"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(host.waitForRequest("CMD_chat+2+hi www.a.org :)#12|clBlack"));
    deliver("CMD_chat+2+Ann chats: hi www.a.org :)#12|clBlue");
    EXPECT_EQ(chatLines().last().trimmed(),
              QString(QStringLiteral("Ann chats: hi www.a.org ") + QChar::ObjectReplacementCharacter));
    EXPECT_EQ(chat->session().chatView().style(7).foreground().color(), QColor(0, 0, 255));
    chat->session().chatView().mainchatJump(0);
    EXPECT_EQ(shell.urls, QStringList{QStringLiteral("http://www.a.org")});
}

TEST_F(ChatWindow, ABarInTheChatTextCutsItAndShowsRed)
{
    login(1);
    deliver("CMD_chat+3+Bob chats: a|b|clBlue");
    EXPECT_EQ(chatLines().last(), QStringLiteral("Bob chats: a"));
    EXPECT_EQ(chat->session().chatView().style(8).foreground().color(), QColor(255, 0, 0));
}

TEST_F(ChatWindow, ABusyChatKeepsItsNewestLineInView)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+2+Klot", "CMD_newplayerinfo+3+Ann", "CMD_newplayerinfo+6+Spy",
             "CMD_chat+1+You chats: hello everyone :)#10|clBlack",
             "CMD_chat+3+Ann chats: hi! rules are at www.example.org :)#15|$00C08000",
             "CMD_action+3+Ann says: Good One!|$00C08000", "CMD_action+1+You waves|clPurple",
             "CMD_chat+6+Spy chats: watching from afar :)#22 :)#13|clTeal",
             "CMD_chat+1+You chats: see https://example.org/dorvane too|clPurple", "CMD_playasound+3+wave13+",
             "CMD_chat+3+Ann chats: Oh no :)#19 :)#11|clMaroon"});
    QScrollBar *bar = chat->board().mainchat->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(chatLines().last(), QStringLiteral("Ann chats: Oh no ") + QChar::ObjectReplacementCharacter
                                      + QLatin1Char(' ') + QChar::ObjectReplacementCharacter);
    screenshot("chat");
}

TEST(SoundClips, EveryNameFindsA16BitMonoClipInAnyCase)
{
    QStringList names{"entered", "dice", "select", "unset", "turn", "turnnew", "gotpoints", "nopoints", "winner"};
    for (int n = 1; n <= 20; ++n)
        names << QStringLiteral("wave%1").arg(n);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString path = SoundPlayer::resourcePath(name.toUpper());
        ASSERT_EQ(path, QStringLiteral(":/sounds/") + name + QStringLiteral(".wav"));
        QFile clip(path);
        ASSERT_TRUE(clip.open(QIODevice::ReadOnly));
        const QByteArray header = clip.read(36);
        ASSERT_EQ(header.size(), 36);
        EXPECT_EQ(header.left(4), "RIFF");
        EXPECT_EQ(header.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(qFromLittleEndian<quint16>(header.constData() + 20), 1) << "PCM";
        EXPECT_EQ(qFromLittleEndian<quint16>(header.constData() + 22), 1) << "mono";
        EXPECT_EQ(qFromLittleEndian<quint16>(header.constData() + 34), 16) << "bits per sample";
    }
    EXPECT_TRUE(SoundPlayer::resourcePath(QStringLiteral("wave21")).isEmpty());
    // The sound library reads the clip as a file: its sample data must be whole.
    QFile clip(QStringLiteral(":/sounds/wave13.wav"));
    ASSERT_TRUE(clip.open(QIODevice::ReadOnly));
    const QByteArray wav = clip.readAll();
    const qsizetype data = wav.indexOf("data", 12);
    ASSERT_GT(data, 0) << "the clip has a sample data chunk";
    const quint32 length = qFromLittleEndian<quint32>(wav.constData() + data + 4);
    EXPECT_GT(length, 0u);
    EXPECT_EQ(qsizetype(length), wav.size() - data - 8) << "the sample data is complete";
    EXPECT_TRUE(SoundPlayer::resourcePath(QStringLiteral("../images/smiley01")).isEmpty());
    EXPECT_TRUE(SoundPlayer::resourcePath(QString()).isEmpty());
}

} // namespace
