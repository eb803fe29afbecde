// The client's handling of the host's messages in a whole window over a socket: spectators,
// the dice drawn, names shown as text, the settings read on arrival.
#include "clientfixture.h"
#include "modelfixture.h"
#include "chatview.h"
#include "clientstate.h"
#include "inifile.h"
#include "mainmenu.h"
#include "picturebox.h"
#include "picturebutton.h"
#include "spylistform.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QSignalSpy>

namespace {

using Handlers = ClientFixture;

// True when the label draws exactly what a plain-text label with its text, font, colours,
// alignment and size draws: markup in the text is shown as its characters.
bool drawsItsCharacters(QLabel *label)
{
    const auto draw = [label](QLabel &what) {
        QImage image(label->size(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        what.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };
    QLabel plain;
    plain.setTextFormat(Qt::PlainText);
    plain.setText(label->text());
    plain.setFont(label->font());
    plain.setPalette(label->palette());
    plain.setAlignment(label->alignment());
    plain.setAttribute(Qt::WA_TranslucentBackground);
    plain.resize(label->size());
    return draw(*label) == draw(plain);
}

TEST_F(Handlers, SpectatorArrivalAndDeparture)
{
    login(1, "You");
    Tspylist spylist; // the one list of spectators, as the program wires it
    QObject::connect(chat.get(), &Tchat::spyArrived, &spylist, &Tspylist::addSpy);
    chat->session().game().setSpyRemover(
        [&spylist](int n, const QString &name) { return spylist.removeSpy(n, name); });
    QSignalSpy arrived(chat.get(), &Tchat::spyArrived);
    QSignalSpy left(chat.get(), &Tchat::spyLeft);
    const QString seat2 = text("label_playername2");
    deliver("CMD_newplayerinfo+6+Bob");
    ASSERT_EQ(arrived.count(), 1);
    EXPECT_EQ(arrived.at(0).at(0).toInt(), 6);
    EXPECT_EQ(arrived.at(0).at(1).toString(), QStringLiteral("Bob"));
    EXPECT_EQ(text("label_playername2"), seat2) << "no seat label changes";
    EXPECT_EQ(spylist.entries(), QStringList{QStringLiteral("6: Bob")});
    QStringList lines = chatLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.mid(lines.size() - 2),
              (QStringList{QStringLiteral("Bob is Connected."), QStringLiteral("Bob is spying.")}));
    EXPECT_EQ(chat->session().sounds().requested.count(QStringLiteral("entered")), 2);

    deliver({"CMD_playerdisconnected+7+Bob", "CMD_playerdisconnected+6+Bob"});
    EXPECT_TRUE(spylist.entries().isEmpty());
    EXPECT_EQ(chatLines().count(QStringLiteral("Bob has left.")), 1) << "an unknown spectator leaves no line";
    EXPECT_EQ(left.count(), 1);
}

TEST_F(Handlers, CreatediceRedrawsOnlyTheListedDice)
{
    login(1, "You");
    deliver({"CMD_nextplayer+1+1+1+", firstRoll(1)});
    const QStringList oldDie4 = chat->board().die(4)->layers();
    deliver("CMD_createdice+1+2+3+9+3+7+0+1");
    for (int n = 1; n <= 10; ++n) {
        const bool listed = n == 3 || n == 7;
        EXPECT_EQ(chat->board().die(n)->y(), listed ? 15 : 5) << "die " << n;
    }
    EXPECT_EQ(chat->board().die(3)->layers(), (QStringList{"dice/body3", "dice/face9"}));
    EXPECT_EQ(chat->board().die(7)->layers(), (QStringList{"dice/body1", "dice/face0"}));
    EXPECT_EQ(chat->board().die(4)->layers(), oldDie4);
    EXPECT_EQ(chat->session().model().dice[3].value, 9);
    EXPECT_EQ(chat->session().model().dice[4].value, 4);
    EXPECT_EQ(chat->board().image_rolls->layers(), QStringList{"rolls2"});
}

// When the host plays the own seat (Just Watch), its turn buttons go with its turn: neither a
// turn without points nor the next player's turn leaves them on the board.
TEST_F(Handlers, TurnButtonsGoWithATurnTheHostPlaysForThisSeat)
{
    login(1, "You");
    deliver({"CMD_justwatching+1+1", "CMD_nextplayer+1+1+1+", firstRoll(1, 1), "CMD_noscore+1+none"});
    EXPECT_FALSE(chat->board().button_roll->isVisible()) << "after a turn without points";
    EXPECT_FALSE(chat->board().button_alldone->isVisible()) << "after a turn without points";
    deliver({"CMD_nextplayer+1+1+1+", firstRoll(1, 1), "CMD_nextplayer+2+1+1+"});
    EXPECT_FALSE(chat->board().button_roll->isVisible()) << "during the next player's turn";
    EXPECT_FALSE(chat->board().button_alldone->isVisible()) << "during the next player's turn";
}

// A seat is empty by what the host said, not by the text its name label shows.
TEST_F(Handlers, APlayerNamedLikeTheEmptySeatIsStillSeated)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+4+<Waiting>", "CMD_playerdisconnected+4+"});
    EXPECT_TRUE(chatLines().contains(QStringLiteral("<Waiting> disconnected.")));
    deliver({"CMD_newplayerinfo+2+<Waiting>", "CMD_startgame+You+0+0+f+"});
    EXPECT_EQ(text("label_playername2"), QStringLiteral("<Waiting>")) << "a seated player is not replaced";
}

TEST_F(Handlers, PeerNamesAreShownAsTheirCharacters)
{
    // A picture on this machine that a name read as markup would make the board draw.
    const QString picture = dir.filePath(QStringLiteral("face.png"));
    QImage red(40, 12, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(picture));
    const QByteArray image = "<img src=\"" + picture.toUtf8() + "\">";
    const QByteArray bold = "<b>x</b>";
    login(1, "You");
    deliver({"CMD_newplayerinfo+2+" + image, "CMD_newplayerinfo+3+" + bold, "CMD_startgame+You+0+0+f+",
             "CMD_nextplayer+2+1+1+"});
    EXPECT_EQ(text("label_status"), QString::fromUtf8(image + "'s turn"));
    EXPECT_EQ(text("label_phase"), QString::fromUtf8(image + " is trying to get: Two Sets of 3"));
    for (const char *name : {"label_playername2", "label_playername3", "label_status", "label_phase"})
        EXPECT_TRUE(drawsItsCharacters(find<QLabel>(QString::fromLatin1(name)))) << name;

    deliver({"CMD_nextplayer+3+1+1+", "CMD_noscore+3+none"});
    EXPECT_EQ(text("label_phase"), QString::fromUtf8(bold + " did not complete the phase."));
    EXPECT_TRUE(drawsItsCharacters(find<QLabel>(QStringLiteral("label_phase"))));
    deliver("CMD_winner+" + image + '+');
    EXPECT_EQ(text("label_winner"), QString::fromUtf8(image + " has Won the Game!"));
    EXPECT_TRUE(drawsItsCharacters(find<QLabel>(QStringLiteral("label_winner"))));
    EXPECT_EQ(chatLines().last(), QString::fromUtf8(image + " has Won the Game!"));
}

TEST_F(Handlers, ASettingsFileTooLargeIsLeftAsItIsWithOneStatusLine)
{
    QByteArray huge = "[Dorvane]\nTextsize=14\n\n[Other]\n";
    huge += QByteArray(IniFile::MaxFileBytes, 'x');
    const QString path = dir.filePath(QStringLiteral("vornlobby.ini"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(huge);
    }
    login(1, "You");
    EXPECT_EQ(chat->session().chatView().textSize(), 8) << "the defaults";
    const QString note = QStringLiteral("The settings file is too large to be read; it is left as it is and the "
                                        "default settings are used.");
    EXPECT_EQ(chatLines().count(note), 1);
    chat->options().chooseBotSpeed(2000); // a menu change writes the section, except into this file
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1),
              QCryptographicHash::hash(huge, QCryptographicHash::Sha1));
}

} // namespace
