// The board's fixed layout: named controls at their places, and the window's size rules.
#include "board.h"
#include "chatform.h"
#include "clientmodel.h"
#include "dicetray.h"
#include "messageboxes.h"
#include "picturebox.h"
#include "picturebutton.h"
#include "stylesheetcheck.h"
#include "woodbackground.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class BoardLayout : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TchatOptions options;
        options.boxes = &boxes;
        options.port = 1; // never connected: the window is not shown
        options.settingsPath = dir.filePath(QStringLiteral("vornlobby.ini"));
        options.mutexName = QStringLiteral("dorvane-board-test");
        chat = std::make_unique<Tchat>(options);
    }
    // Waits for an event queued after what the last call asked of the window system, so the
    // window has handled that (a refused shrink included) before anything is checked.
    static void settle()
    {
        bool reached = false;
        QTimer::singleShot(0, [&reached] { reached = true; });
        ASSERT_TRUE(QTest::qWaitFor([&reached] { return reached; }, 2000));
    }
    QRect geometryOf(const QString &name)
    {
        QWidget *w = chat->findChild<QWidget *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w ? w->geometry() : QRect();
    }

    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    std::unique_ptr<Tchat> chat;
};

TEST_F(BoardLayout, NamedControlsSitWhereTheBoardPutsThem)
{
    const struct
    {
        const char *name;
        QRect rect;
    } controls[] = {
        {"panel_board", {5, 3, 684, 538}},
        {"image_d1", {67, 15, 48, 48}},
        {"image_d7", {403, 15, 48, 48}},
        {"image_d10", {571, 15, 48, 48}},
        {"label_phase", {66, 68, 552, 16}},
        {"button_roll", {214, 89, 128, 36}},
        {"button_alldone", {350, 89, 128, 36}},
        {"button_start", {268, 93, 154, 36}},
        {"label_round", {8, 111, 56, 16}},
        {"image_rolls", {610, 104, 66, 22}},
        {"label_status", {9, 130, 672, 16}},
        {"image_Turn", {171, 150, 171, 181}},
        {"label_playername1", {13, 158, 125, 18}},
        {"label_playername4", {520, 158, 125, 18}},
        {"label_bonus3", {472, 158, 28, 18}},
        {"image_eyes2", {176, 154, 27, 13}},
        {"p_11", {48, 187, 36, 18}},
        {"p_110", {129, 263, 36, 18}},
        {"p_312", {467, 285, 36, 18}},
        {"p_411", {555, 285, 36, 18}},
        {"p_47", {637, 206, 36, 18}},
        {"label_score2", {254, 308, 36, 18}},
        {"b_phrase1", {4, 334, 25, 19}},
        {"b_phrase10", {245, 334, 25, 19}},
        {"image_logo", {343, 333, 155, 22}},
        {"FlatPanel1", {4, 356, 492, 155}},
        {"mainchat", {2, 2, 488, 151}},
        {"mychat", {4, 513, 461, 22}},
        {"button_smilies", {468, 515, 25, 19}},
        {"panel_phases", {502, 334, 177, 201}},
        {"image_example", {11, 8, 151, 16}},
        {"label_example10", {8, 181, 165, 16}},
    };
    for (const auto &c : controls)
        EXPECT_EQ(geometryOf(QString::fromLatin1(c.name)), c.rect) << c.name;
}

TEST_F(BoardLayout, EveryScoreCellExistsOnItsRow)
{
    const int rowY[] = {0, 187, 206, 225, 244, 263, 187, 206, 225, 244, 263, 285, 285};
    for (int s = 1; s <= 4; ++s) {
        for (int row = 1; row <= 12; ++row) {
            const QString name = QStringLiteral("p_%1%2").arg(s).arg(row);
            auto *cell = chat->findChild<QLabel *>(name);
            ASSERT_NE(cell, nullptr) << name.toStdString();
            EXPECT_EQ(cell->y(), rowY[row]) << name.toStdString();
            EXPECT_EQ(cell, chat->board().cell(s, row)) << name.toStdString();
        }
    }
}

TEST_F(BoardLayout, FirstLookBeforeAnyGame)
{
    Board &b = chat->board();
    EXPECT_EQ(b.label_status->text(), QString()) << "the placeholder is cleared at creation";
    EXPECT_EQ(b.label_phase->text(), QStringLiteral("Welcome to Dorvane by Vorn22 Software"));
    EXPECT_EQ(b.playerName(2)->toolTip(), QStringLiteral("Klot"));
    EXPECT_EQ(b.example(8)->text(), QStringLiteral("PH8: Seven of one COLOR"));
    EXPECT_EQ(b.label_status->palette().color(QPalette::WindowText), QColor(143, 245, 5));
    for (int n = 1; n <= 10; ++n)
        EXPECT_TRUE(b.die(n)->isEmpty()) << "die " << n;
    EXPECT_EQ(b.cell(1, 1)->text(), QString());
    EXPECT_EQ(b.score(1)->text(), QStringLiteral("0"));
}

TEST_F(BoardLayout, NoWidgetDrawsThroughAStyleSheet)
{
    EXPECT_EQ(styleSheetWidgets(*chat), std::string());
}

TEST_F(BoardLayout, ChatPanelsAreWhiteInABlackLine)
{
    for (const char *name : {"FlatPanel1", "mychat"}) {
        QWidget *panel = chat->findChild<QWidget *>(QString::fromLatin1(name));
        ASSERT_NE(panel, nullptr) << name;
        const QImage image = panel->grab().toImage();
        const int middle = image.height() / 2;
        EXPECT_EQ(image.pixelColor(0, middle), QColor(Qt::black)) << name;
        EXPECT_EQ(image.pixelColor(image.width() - 1, middle), QColor(Qt::black)) << name;
        EXPECT_EQ(image.pixelColor(1, middle), QColor(Qt::white)) << name;
    }
}

TEST_F(BoardLayout, TextsFitTheirBoxes)
{
    Board &b = chat->board();
    const auto fits = [](QLabel *label, const QString &text) {
        return QFontMetrics(label->font()).horizontalAdvance(text) <= label->width();
    };
    for (int p = 1; p <= 10; ++p) {
        b.setPhaseStyle(p, Board::PhaseStyle::Current);
        EXPECT_TRUE(fits(b.example(p), b.example(p)->text())) << "phase " << p << " in bold";
    }
    b.setRound(20);
    EXPECT_TRUE(fits(b.label_round, QStringLiteral("Round: 20"))) << "a long game's round number";
    EXPECT_TRUE(fits(chat->findChild<QLabel *>("Label17"), QStringLiteral("Rolls")));
    EXPECT_TRUE(fits(b.playerName(1), QStringLiteral("<Waiting>")));
    EXPECT_TRUE(fits(b.bonus(1), QStringLiteral("+80"))) << "the most points one phase can give";
    EXPECT_TRUE(fits(b.cell(1, 10), QStringLiteral("80")));
    EXPECT_TRUE(fits(b.score(1), QStringLiteral("800")));
}

TEST_F(BoardLayout, RenderShowsTheModel)
{
    Board &b = chat->board();
    ClientModel model;
    model.seats[1] = SeatModel{SeatOccupant::Player, QStringLiteral("Ann"), false, 130};
    model.seats[1].result = SeatModel::Result::Scored;
    model.seats[1].resultPoints = 30;
    model.seats[1].sheet[3] = SheetCell::of(30);
    model.seats[1].sheet[12] = SheetCell::dash();
    model.seats[2] = SeatModel{SeatOccupant::Computer, QStringLiteral("Klot"), true, 0};
    model.stage = GameStage::Running;
    model.markerSeat = 2;
    model.round = 7;
    model.rollsUsed = 2;
    model.statusLine = QStringLiteral("Ann's turn");
    model.phaseLine = QStringLiteral("Ann is trying to get: Run of 7");
    model.highlightPhase(4);
    b.render(model, TurnButtons{true, false, true});
    EXPECT_EQ(b.playerName(1)->text(), QStringLiteral("Ann"));
    EXPECT_EQ(b.playerName(2)->text(), QStringLiteral("Klot"));
    EXPECT_EQ(b.playerName(3)->text(), QStringLiteral("<Waiting>"));
    EXPECT_EQ(b.score(1)->text(), QStringLiteral("130"));
    EXPECT_EQ(b.bonus(1)->text(), QStringLiteral("+30"));
    EXPECT_EQ(b.bonus(2)->text(), QString());
    EXPECT_EQ(b.cell(1, 3)->text(), QStringLiteral("30"));
    EXPECT_EQ(b.cell(1, 12)->text(), QStringLiteral("-"));
    EXPECT_EQ(b.cell(1, 4)->text(), QString());
    EXPECT_TRUE(b.eyes(1)->isHidden());
    EXPECT_FALSE(b.eyes(2)->isHidden());
    EXPECT_EQ(b.image_Turn->x(), 172) << "10 px left of seat 2's name label";
    EXPECT_FALSE(b.image_Turn->isHidden());
    EXPECT_TRUE(b.image_winner->isHidden());
    EXPECT_EQ(b.label_round->text(), QStringLiteral("Round: 7"));
    EXPECT_EQ(b.image_rolls->layers(), QStringList{"rolls2"});
    EXPECT_EQ(b.label_status->text(), model.statusLine);
    EXPECT_EQ(b.label_phase->text(), model.phaseLine);
    EXPECT_EQ(b.phaseStyle(3), Board::PhaseStyle::Done);
    EXPECT_EQ(b.phaseStyle(4), Board::PhaseStyle::Current);
    EXPECT_TRUE(b.example(4)->font().bold());
    EXPECT_FALSE(b.example(3)->font().bold());
    EXPECT_FALSE(b.image_example->isEmpty());
    EXPECT_FALSE(b.button_roll->isHidden());
    EXPECT_TRUE(b.button_alldone->isHidden());
    EXPECT_FALSE(b.button_start->isHidden());

    model.stage = GameStage::Over;
    model.winnerLine = QStringLiteral("Ann has Won the Game!");
    model.illustration.reset();
    model.markAllPhases(PhaseMark::Done);
    b.render(model, TurnButtons{});
    EXPECT_TRUE(b.image_Turn->isHidden());
    EXPECT_FALSE(b.image_winner->isHidden());
    EXPECT_FALSE(b.label_winner->isHidden());
    EXPECT_EQ(b.label_winner->text(), model.winnerLine);
    EXPECT_TRUE(b.image_example->isEmpty());
    EXPECT_FALSE(b.example(4)->font().bold());
    EXPECT_TRUE(b.button_roll->isHidden());
    EXPECT_TRUE(b.button_start->isHidden());
}

TEST_F(BoardLayout, DiceAreDrawnPlacedAndShuffledFromTheModel)
{
    Board &b = chat->board();
    DiceTray tray(b);
    ClientModel model;
    model.dice[3] = TDie{9, 2, true};
    model.dieDrawn[3] = true;
    model.dieRaised[3] = true;
    model.dice[5] = TDie{0, 4, false};
    model.dieDrawn[5] = true;
    model.diceorder = {0, 3, 1, 2, 4, 5, 6, 7, 8, 9, 10};
    tray.render(model);
    EXPECT_EQ(b.die(3)->layers(), (QStringList{"dice/body2", "dice/face9", "dice/keep"}));
    EXPECT_EQ(b.die(5)->layers(), (QStringList{"dice/body4", "dice/face0"}));
    EXPECT_TRUE(b.die(1)->isEmpty());
    EXPECT_EQ(b.die(3)->pos(), QPoint(Board::dieLeft(1), Board::DieRaised));
    EXPECT_EQ(b.die(1)->pos(), QPoint(Board::dieLeft(2), Board::DieLying));
    EXPECT_FALSE(tray.shuffling());

    model.step = TurnStep::Shuffling;
    model.resetAllDice();
    tray.render(model);
    EXPECT_TRUE(tray.shuffling());
    EXPECT_TRUE(b.die(3)->isEmpty()) << "a starting shuffle first clears the table";
    tray.dicetimerTimer();
    const QStringList frame = b.die(3)->layers();
    EXPECT_EQ(frame.size(), 2);
    tray.render(model);
    EXPECT_EQ(b.die(3)->layers(), frame) << "a running animation keeps its pictures";

    model.step = TurnStep::Rolled;
    tray.render(model);
    EXPECT_FALSE(tray.shuffling()) << "no frame can come after the dice arrived";
    EXPECT_TRUE(b.die(3)->isEmpty());
}

// At the end of a game the WINNER picture and the winner line share one row below the
// dice: every die of the last turn, lying or raised, stays in sight, and so do START GAME
// and the status line. A line too long for the tray ends in an ellipsis, whole in its tip.
TEST_F(BoardLayout, WinnerBannerLeavesTheLastDiceInSight)
{
    Board &b = chat->board();
    DiceTray tray(b);
    ClientModel model;
    for (int d = 1; d <= 10; ++d) {
        model.dice[d] = TDie{d % 10, d % 4 + 1, d % 3 == 0};
        model.dieDrawn[d] = true;
        model.dieRaised[d] = d % 3 == 0;
    }
    tray.render(model);
    model.stage = GameStage::Over;
    model.statusLine = QStringLiteral("Game Over!");
    model.phaseLine.clear();
    const QString lines[] = {
        QStringLiteral("You have Won the Game!"),
        QStringLiteral("Al has Won the Game!"),
        QStringLiteral("Maximiliane Hohenzollern and Bartholomew Featherstone has Won the Game!"),
        QStringLiteral("Maximiliane Hohenzollern and Bartholomew Featherstonehaugh and Constantin "
                       "Kowalczyk-Oppenheimer has Won the Game!"),
    };
    const QRect tray1(1, 1, 682, 129);
    for (const QString &line : lines) {
        model.winnerLine = line;
        b.render(model, TurnButtons{false, false, true}); // the host may start the next game
        const std::string name = line.toStdString();
        const QRect banner = b.image_winner->geometry();
        const QRect text = b.label_winner->geometry();
        ASSERT_FALSE(b.image_winner->isHidden()) << name;
        ASSERT_FALSE(b.label_winner->isHidden()) << name;
        for (int d = 1; d <= 10; ++d) {
            EXPECT_FALSE(banner.intersects(b.die(d)->geometry())) << name << ": picture over die " << d;
            EXPECT_FALSE(text.intersects(b.die(d)->geometry())) << name << ": line over die " << d;
        }
        for (QWidget *other : {static_cast<QWidget *>(b.button_start), static_cast<QWidget *>(b.label_status),
                               static_cast<QWidget *>(b.label_round)}) {
            EXPECT_FALSE(banner.intersects(other->geometry()))
                << name << ": " << other->objectName().toStdString();
            EXPECT_FALSE(text.intersects(other->geometry())) << name << ": " << other->objectName().toStdString();
        }
        EXPECT_TRUE(tray1.contains(banner) && tray1.contains(text)) << name;
        EXPECT_FALSE(banner.intersects(text)) << name;
        EXPECT_NEAR(banner.width() * 43.0 / banner.height(), 210.0, 3.0)
            << name << ": the picture keeps its shape";
        EXPECT_GE(banner.height(), 25) << name << ": the word stays readable";
        const QFontMetrics metrics(b.label_winner->font());
        EXPECT_LE(metrics.horizontalAdvance(b.label_winner->text()), text.width()) << name;
        EXPECT_LE(metrics.height(), text.height()) << name;
        const bool whole = b.label_winner->text() == line;
        EXPECT_EQ(b.label_winner->toolTip(), whole ? QString() : line) << name;
        EXPECT_TRUE(whole || b.label_winner->text().endsWith(QChar(0x2026))) << name;
        EXPECT_GE(b.label_winner->font().pixelSize(), 12) << name << ": still readable";
        EXPECT_LE(std::abs((banner.left() + text.right()) / 2 - Board::Width / 2), 2) << name << ": centred";
        const QString folder = qEnvironmentVariable("DORVANE_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            b.grab().save(folder + QStringLiteral("/winner-%1.png").arg(line.size()));
    }
    EXPECT_NE(b.label_winner->text(), lines[3]) << "a line too wide for the tray even when smaller is cut";
    model.winnerLine = lines[2];
    b.render(model, TurnButtons{});
    EXPECT_EQ(b.label_winner->text(), lines[2]) << "two long names are drawn smaller, not cut";
    EXPECT_LT(b.label_winner->font().pixelSize(), 19);
    model.winnerLine = lines[0];
    b.render(model, TurnButtons{});
    EXPECT_EQ(b.label_winner->font().pixelSize(), 19) << "a short line is drawn at full size again";
}

TEST_F(BoardLayout, ClientAreaNeverShrinksBelowTheBoardAndTheBoardStaysCentred)
{
    chat->show();
    QWidget *area = chat->centralWidget();
    chat->resize(300, 200);
    settle();
    EXPECT_GE(area->width(), 699);
    EXPECT_GE(area->height(), 550);
    area->resize(892, 744);
    settle();
    // 892 / 692 is the smaller ratio: the board fills the width (in steps of 1/48, so a
    // die covers whole pixels) and is centred in the height.
    const qreal s = 61.0 / 48.0;
    EXPECT_EQ(chat->board().scale(), s);
    EXPECT_EQ(chat->board().pos(),
              QPoint(qRound(5 * s) + (892 - qRound(692 * s)) / 2, qRound(3 * s) + (744 - qRound(544 * s)) / 2))
        << "(5, 3) scaled, plus half of the spare room";
}

} // namespace
