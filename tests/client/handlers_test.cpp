// The client's handling of the host's messages: seats, spectators, dice, scores, the end.
#include "clientfixture.h"
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

// All ten dice of a first roll: die n shows value n (die 1 a wild), colour (n % 4) + 1.
QByteArray firstRoll(int seat, int rolls = 1)
{
    QByteArray m = "CMD_createdice+" + QByteArray::number(seat) + '+' + QByteArray::number(rolls);
    for (int n = 1; n <= 10; ++n)
        m += '+' + QByteArray::number(n) + '+' + QByteArray::number(n == 1 ? 0 : n) + '+'
             + QByteArray::number(n % 4 + 1);
    return m;
}

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
    chat->game().setSpyRemover([&spylist](int n, const QString &name) { return spylist.removeSpy(n, name); });
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
    EXPECT_EQ(chat->sounds().requested.count(QStringLiteral("entered")), 2);

    deliver({"CMD_playerdisconnected+7+Bob", "CMD_playerdisconnected+6+Bob"});
    EXPECT_TRUE(spylist.entries().isEmpty());
    EXPECT_EQ(chatLines().count(QStringLiteral("Bob has left.")), 1) << "an unknown spectator leaves no line";
    EXPECT_EQ(left.count(), 1);
}

TEST_F(Handlers, OwnArrivalAsSpectator)
{
    login(6, "Bob");
    const QStringList lines = chatLines();
    EXPECT_EQ(lines.mid(lines.size() - 2),
              (QStringList{QStringLiteral("You are Connected."), QStringLiteral("You are spying.")}));
    EXPECT_EQ(text("label_playername1"), QStringLiteral("<Waiting>"));
}

TEST_F(Handlers, DisconnectFreesTheSeatAndSeatTwoShowsKlot)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+2+Ann", "CMD_newplayerinfo+3+Cy"});
    deliver({"CMD_playerdisconnected+2+Ann", "CMD_playerdisconnected+3+Cy", "CMD_playerdisconnected+4+"});
    EXPECT_EQ(text("label_playername2"), QStringLiteral("Klot"));
    EXPECT_EQ(text("label_playername3"), QStringLiteral("<Waiting>"));
    EXPECT_EQ(text("label_playername4"), QStringLiteral("<Waiting>"));
    const QStringList lines = chatLines();
    EXPECT_TRUE(lines.contains(QStringLiteral("Ann disconnected.")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Cy disconnected.")));
    EXPECT_FALSE(lines.contains(QStringLiteral("<Waiting> disconnected.")));
}

TEST_F(Handlers, TurnStartsForSelfAndForOthers)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+2+Ann", "CMD_startgame+You+0+0+f+", "CMD_nextplayer+2+3+1+"});
    EXPECT_EQ(text("label_status"), QStringLiteral("Ann's turn"));
    EXPECT_EQ(text("label_phase"), QStringLiteral("Ann is trying to get: Set of 4 + Run of 4"));
    EXPECT_EQ(chat->board().image_Turn->x(), 172) << "10 px left of seat 2's name label";
    EXPECT_FALSE(chat->board().button_roll->isVisible());

    deliver("CMD_nextplayer+1+2+1+");
    EXPECT_EQ(text("label_status"), QStringLiteral("Your Turn"));
    EXPECT_EQ(text("label_phase"), QStringLiteral("You are trying to get: Set of 3 + Run of 3"));
    EXPECT_TRUE(chat->board().button_roll->isVisible());
    EXPECT_FALSE(chat->board().button_alldone->isVisible());
    EXPECT_EQ(chat->board().phaseStyle(1), Board::PhaseStyle::Done);
    EXPECT_EQ(chat->board().phaseStyle(2), Board::PhaseStyle::Current);
    EXPECT_EQ(chat->board().phaseStyle(3), Board::PhaseStyle::Plain);
    EXPECT_TRUE(find<QLabel>("label_example2")->font().bold());
    EXPECT_EQ(chat->sounds().requested.last(), QStringLiteral("turn"));

    // The same phase again leaves the list as it is, even after it was changed by hand.
    chat->board().setPhaseStyle(1, Board::PhaseStyle::Plain);
    deliver("CMD_nextplayer+1+2+2+");
    EXPECT_EQ(chat->board().phaseStyle(1), Board::PhaseStyle::Plain);
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
    EXPECT_EQ(chat->state().dice[3].value, 9);
    EXPECT_EQ(chat->state().dice[4].value, 4);
    EXPECT_EQ(chat->board().image_rolls->layers(), QStringList{"rolls2"});
}

TEST_F(Handlers, RollButtonOnlyWhileFewerThanThreeRolls)
{
    struct Case { int seat; int rolls; bool roll; bool alldone; };
    login(1, "You");
    for (const Case &c : {Case{1, 1, true, true}, Case{1, 2, true, true}, Case{1, 3, false, true},
                          Case{2, 1, false, false}}) {
        deliver(firstRoll(c.seat, c.rolls));
        EXPECT_EQ(chat->board().button_roll->isVisible(), c.roll) << c.seat << "/" << c.rolls;
        EXPECT_EQ(chat->board().button_alldone->isVisible(), c.alldone) << c.seat << "/" << c.rolls;
    }
}

TEST_F(Handlers, ScoresFillTheSheetAndRaiseTheUsedDice)
{
    login(1, "You");
    deliver({"CMD_nextplayer+1+1+1+", firstRoll(1), "CMD_scores+1+1+29+29+0+none+2+5+6+7+8+9"});
    EXPECT_EQ(text("p_11"), QStringLiteral("29"));
    EXPECT_EQ(text("label_score1"), QStringLiteral("29"));
    EXPECT_EQ(text("label_bonus1"), QStringLiteral("+29"));
    EXPECT_EQ(text("label_phase"), QStringLiteral("Way to Go! You completed the phase."));
    EXPECT_EQ(text("label_status"), QStringLiteral("One Moment Please.."));
    for (int n = 1; n <= 10; ++n) {
        const bool used = QList<int>{2, 5, 6, 7, 8, 9}.contains(n);
        EXPECT_EQ(chat->board().die(n)->y(), used ? 5 : 15) << "die " << n;
    }
    EXPECT_EQ(chat->board().phaseStyle(1), Board::PhaseStyle::Done);
    EXPECT_EQ(chat->board().phaseStyle(2), Board::PhaseStyle::Current);
    EXPECT_EQ(chat->sounds().requested.last(), QStringLiteral("gotpoints"));
}

TEST_F(Handlers, GoneoutAndBonusCells)
{
    struct Case { const char *name; QByteArray message; QStringList cells; QStringList expected; };
    const Case cases[] = {
        {"goneout 40 for seat 1", "CMD_scores+1+10+400+50+40+goneout+1+2+3+4+5+6+7+8",
         {"p_112", "p_212", "p_312", "p_412"}, {"40", "-", "-", "-"}},
        {"bonus 0 for seat 2", "CMD_scores+2+5+180+40+0+bonus+none", {"p_211", "p_25"}, {"-", "40"}},
        {"bonus 40 for seat 3", "CMD_scores+3+5+260+40+40+bonus+none", {"p_311"}, {"40"}},
    };
    login(4, "Dee");
    for (const Case &c : cases) {
        deliver(c.message);
        for (int i = 0; i < c.cells.size(); ++i)
            EXPECT_EQ(text(c.cells[i]), c.expected[i]) << c.name << ": " << c.cells[i].toStdString();
    }
}

TEST_F(Handlers, MarkoffFromPhaseEightAndNoscore)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+3+Cy", "CMD_scores+3+7+300+30+0+none+none", "CMD_markoff+3+8+",
             "CMD_noscore+3+1+4"});
    EXPECT_EQ(text("p_37"), QStringLiteral("30"));
    for (const char *cell : {"p_38", "p_39", "p_310"})
        EXPECT_EQ(text(cell), QStringLiteral("-")) << cell;
    EXPECT_EQ(text("p_311"), QString());
    EXPECT_EQ(text("label_bonus3"), QStringLiteral("-"));
    EXPECT_EQ(text("label_phase"), QStringLiteral("Cy did not complete the phase."));
    EXPECT_EQ(chat->sounds().requested.last(), QStringLiteral("nopoints"));
}

TEST_F(Handlers, OwnScoreAfterPhaseTenLeavesTheListSilver)
{
    login(1, "You");
    deliver({"CMD_nextplayer+1+10+9+", "CMD_scores+1+10+500+60+0+none+none"});
    for (int p = 1; p <= 10; ++p)
        EXPECT_EQ(chat->board().phaseStyle(p), Board::PhaseStyle::Done) << p;
    EXPECT_TRUE(chat->board().image_example->isEmpty());
}

struct WinnerCase
{
    const char *name;
    int myid;
    QByteArray myname;
    QByteArray winners;
    QString label;
    QStringList tally;
};

// Named by its case: printed byte by byte, the padding after myid reads as uninitialised.
void PrintTo(const WinnerCase &c, std::ostream *os)
{
    *os << c.name;
}

class Winner : public ClientFixture, public ::testing::WithParamInterface<WinnerCase>
{
};

TEST_P(Winner, ShowsTheWinnerAndCountsTheTally)
{
    const WinnerCase &c = GetParam();
    login(c.myid, c.myname);
    QStringList tally;
    chat->setTallyHook([&](const QString &t) { tally.append(t); });
    deliver({"CMD_startgame+Ann+0+0+f+", "CMD_winner+" + c.winners + '+'});
    EXPECT_EQ(text("label_winner"), c.label) << c.name;
    EXPECT_TRUE(chat->board().label_winner->isVisible()) << c.name;
    EXPECT_TRUE(chat->board().image_winner->isVisible()) << c.name;
    EXPECT_FALSE(chat->board().image_Turn->isVisible()) << c.name;
    EXPECT_EQ(text("label_status"), QStringLiteral("Game Over!")) << c.name;
    EXPECT_EQ(chatLines().last(), c.label) << c.name;
    EXPECT_EQ(tally, c.tally) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    EndOfGame, Winner,
    ::testing::Values(
        WinnerCase{"tie_seen_by_third_player", 3, "Carl", "Ann and Bob", "Ann and Bob has Won the Game!", {}},
        WinnerCase{"own_win", 1, "Ann", "Ann", "You have Won the Game!", {"addtomine"}},
        WinnerCase{"other_wins", 3, "Carl", "Klot", "Klot has Won the Game!", {"Klot"}},
        WinnerCase{"spectator", 6, "Bob", "Klot", "Klot has Won the Game!", {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Handlers, HostSeesTheStartButtonAgainAfterTheGame)
{
    login(1, "You");
    deliver("CMD_startgame+You+0+0+f+");
    EXPECT_FALSE(chat->board().button_start->isVisible());
    EXPECT_EQ(text("label_playername2"), QStringLiteral("Klot"));
    EXPECT_TRUE(chatLines().contains(QStringLiteral("You has started a game.")));
    deliver("CMD_winner+Klot+");
    EXPECT_TRUE(chat->board().button_start->isVisible());
}

TEST_F(Handlers, JustWatchingMarks)
{
    login(1, "You");
    deliver({"CMD_newplayerinfo+2+Ann", "CMD_justwatching+1+1", "CMD_justwatching+2+1", "CMD_justwatching+7+1"});
    EXPECT_TRUE(chat->menu().JustWatch1->isChecked());
    EXPECT_TRUE(chat->board().eyes(1)->isVisible());
    EXPECT_TRUE(chat->board().eyes(2)->isVisible());
    EXPECT_TRUE(chatLines().contains(QStringLiteral("Ann is just watching")));
    deliver("CMD_justwatching+1+2");
    EXPECT_FALSE(chat->menu().JustWatch1->isChecked());
    EXPECT_FALSE(chat->board().eyes(1)->isVisible());
    EXPECT_TRUE(chatLines().contains(QStringLiteral("You is now playing again")));
}

TEST_F(Handlers, LoadstatsAndLoadpscoresOnlyForTheNewcomer)
{
    login(3, "Cy");
    deliver({"CMD_newplayerinfo+1+Ann", "CMD_loadstats+4+1+2+5+1+10+20+30+40+1+7+2",
             "CMD_loadstats+3+1+2+5+1+10+20+30+40+1+7+2+4+3+1", "CMD_loadpscores+4+1+1+99",
             "CMD_loadpscores+3+1+1+25+2+11+40"});
    EXPECT_EQ(text("label_round"), QStringLiteral("Round: 5"));
    EXPECT_EQ(text("label_score4"), QStringLiteral("40"));
    EXPECT_EQ(text("label_status"), QStringLiteral("Ann's turn"));
    EXPECT_EQ(text("label_phase"), QStringLiteral("Ann is trying to get: Set of 3 + Run of 3"));
    EXPECT_EQ(chat->board().die(1)->layers(), (QStringList{"dice/body2", "dice/face7"}));
    EXPECT_TRUE(chat->board().die(2)->isEmpty());
    EXPECT_EQ(chat->board().die(4)->y(), 15);
    EXPECT_EQ(text("p_11"), QStringLiteral("25"));
    EXPECT_EQ(text("p_211"), QStringLiteral("40"));
    EXPECT_EQ(chat->state().currentplayer, 1);
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
    EXPECT_EQ(chat->chatView().textSize(), 8) << "the defaults";
    const QString note = QStringLiteral("The settings file is too large to be read; it is left as it is and the "
                                        "default settings are used.");
    EXPECT_EQ(chatLines().count(note), 1);
    chat->chooseBotSpeed(2000); // a menu change writes the section, except into this file
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1),
              QCryptographicHash::hash(huge, QCryptographicHash::Sha1));
}

} // namespace
