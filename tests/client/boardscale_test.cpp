// The board laid out at larger scales, and the colour symbols on the dice.
#include "boardpictures.h"
#include "chatinput.h"
#include "chatview.h"
#include "clientfixture.h"
#include "dicetray.h"
#include "mainmenu.h"
#include "picturebox.h"
#include "picturebutton.h"
#include "scaledlayout.h"
#include "windowplace.h"
#include "woodbackground.h"

#include <QAction>
#include <QMap>
#include <QFile>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <cstdlib>
#include <QToolButton>

namespace {

const QList<int> Mixed = {7, 0, 3, 3, 10, 1, 5, 0, 2, 9};

class BoardScale : public ClientFixture
{
protected:
    // Seat 1 on turn with the given values on dice 1 to 10 (colour n % 4 + 1), after a roll.
    void ownDice(const QList<int> &values)
    {
        QByteArray m = "CMD_createdice+1+1";
        for (int n = 1; n <= 10; ++n)
            m += '+' + QByteArray::number(n) + '+' + QByteArray::number(values[n - 1]) + '+'
                 + QByteArray::number(n % 4 + 1);
        deliver({"CMD_nextplayer+1+1+1+", m});
    }
    // Gives the area below the menu that size and waits until the board is laid out.
    void setArea(const QSize &area)
    {
        QWidget *central = chat->centralWidget();
        chat->resize(chat->size() + (area - central->size()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return central->size() == area; }, 2000));
        QCoreApplication::processEvents();
    }
    void setScale(qreal s)
    {
        setArea(QSize(qRound(WoodBackground::DesignWidth * s), qRound(WoodBackground::DesignHeight * s)));
    }
    // The control the window finds where the design point of control (offset from its design
    // corner, in board pixels) is drawn, and that point in the window.
    QWidget *hit(QWidget *control, QPoint offset, QPoint *inWindow = nullptr) const
    {
        const Board &b = chat->board();
        const QPointF inParent = QPointF(b.layout().design(control).topLeft() + offset) * b.scale();
        const QPoint point = control->parentWidget()->mapTo(chat.get(), inParent.toPoint());
        if (inWindow)
            *inWindow = point;
        return chat->childAt(point);
    }
    // Clicks there: the click goes to whatever control is drawn at that point, as a real one.
    QWidget *clickAtDesignPoint(QWidget *control, QPoint offset, Qt::MouseButton button = Qt::LeftButton)
    {
        QPoint inWindow;
        QWidget *target = hit(control, offset, &inWindow);
        if (target)
            QTest::mouseClick(target, button, {}, target->mapFrom(chat.get(), inWindow));
        return target;
    }
    QByteArray sentAfter(const std::function<void()> &act, const QByteArray &prefix)
    {
        const qsizetype before = host.requestsStartingWith(prefix).size();
        act();
        (void)QTest::qWaitFor([&] { return host.requestsStartingWith(prefix).size() > before; }, 2000);
        const QByteArrayList all = host.requestsStartingWith(prefix);
        return all.size() > before ? all.last() : QByteArray();
    }
    // Every control the board lays out, by name, with its geometry.
    QMap<QString, QRect> geometries() const
    {
        QMap<QString, QRect> out;
        const Board &b = chat->board();
        for (QWidget *w : b.findChildren<QWidget *>()) {
            if (!w->objectName().isEmpty() && b.layout().contains(w))
                out.insert(w->objectName(), w->geometry());
        }
        return out;
    }
};

TEST_F(BoardScale, ClicksAtTheScaledPlacesSendWhatDesignClicksSend)
{
    login();
    QByteArray atDesign;
    for (qreal s : {1.0, 1.5, 2.0}) {
        setScale(s);
        ASSERT_EQ(chat->board().scale(), s);
        ownDice(Mixed);
        Board &b = chat->board();
        // Near the die's corner and at its centre: the scaled die covers both.
        EXPECT_EQ(clickAtDesignPoint(b.die(3), QPoint(24, 24)), b.die(3)) << "scale " << s;
        EXPECT_TRUE(chat->session().model().dice[3].selected) << "scale " << s;
        EXPECT_EQ(clickAtDesignPoint(b.die(6), QPoint(44, 44)), b.die(6)) << "scale " << s;
        EXPECT_TRUE(chat->session().model().dice[6].selected) << "scale " << s;
        const QByteArray roll =
            sentAfter([&] { EXPECT_EQ(clickAtDesignPoint(b.button_roll, QPoint(20, 18)), b.button_roll); },
                      "CMD_rollthedice");
        EXPECT_EQ(roll, "CMD_rollthedice+1+1+2+4+5+7+8+9+10") << "scale " << s;
        if (s == 1.0)
            atDesign = roll;
        EXPECT_EQ(roll, atDesign) << "scale " << s;
        // The phrase buttons and the chat line are where they are drawn too.
        EXPECT_EQ(hit(b.b_phrase[4], QPoint(12, 9)), b.b_phrase[4]) << "scale " << s;
        EXPECT_EQ(hit(b.b_phrase[4], QPoint(24, 18)), b.b_phrase[4]) << "scale " << s;
        EXPECT_EQ(hit(b.b_phrase[5], QPoint(1, 1)), b.b_phrase[5]) << "scale " << s;
        EXPECT_EQ(hit(chat->findChild<QWidget *>(QStringLiteral("label_example8")), QPoint(100, 8)),
                  chat->findChild<QWidget *>(QStringLiteral("label_example8")))
            << "scale " << s;
    }
    const QByteArray said =
        sentAfter([&] { clickAtDesignPoint(chat->board().b_phrase[1], QPoint(3, 3)); }, "CMD_");
    EXPECT_TRUE(said.contains(chat->session().chatInput().phrases().first().toUtf8())) << said.toStdString();
}

TEST_F(BoardScale, AtTwiceTheDesignSizeEveryControlIsTwiceAsLargeAndCentred)
{
    login();
    ownDice(Mixed);
    chat->board().die(4)->setFocus();
    const QMap<QString, QRect> design = geometries();
    ASSERT_GT(design.size(), 100);
    const int labelPixels = find<QLabel>(QStringLiteral("label_status"))->font().pixelSize();
    const int chatPixels = chat->session().chatView().style(9).font().pixelSize();
    const int linePixels = chat->board().mychat->font().pixelSize();
    screenshot("scale-1x");

    setScale(2.0);
    Board &b = chat->board();
    EXPECT_EQ(b.size(), QSize(2 * Board::Width, 2 * Board::Height));
    EXPECT_EQ(b.pos(), QPoint(10, 6)) << "the design offset (5, 3), doubled";
    for (auto it = design.cbegin(); it != design.cend(); ++it) {
        const QRect d = it.value();
        EXPECT_EQ(geometries().value(it.key()), QRect(d.topLeft() * 2, d.size() * 2)) << it.key().toStdString();
    }
    EXPECT_EQ(find<QLabel>(QStringLiteral("label_status"))->font().pixelSize(), 2 * labelPixels);
    EXPECT_EQ(b.mychat->font().pixelSize(), 2 * linePixels);
    EXPECT_EQ(b.b_phrase[1]->iconSize(), QSize(50, 38));
    EXPECT_EQ(chat->session().chatView().style(9).font().pixelSize(), qRound(8 * 96.0 / 72.0 * 2));
    EXPECT_EQ(chatPixels, qRound(8 * 96.0 / 72.0));
    // The text size setting keeps its meaning on top of the scale: 14 points, doubled.
    find<QAction>(QStringLiteral("N141"))->trigger();
    EXPECT_EQ(chat->session().chatView().style(9).font().pixelSize(), qRound(14 * 96.0 / 72.0 * 2));
    screenshot("scale-2x");

    // A wider window: the height sets the scale, the wood fills the sides.
    setArea(QSize(1600, 1088));
    EXPECT_EQ(b.scale(), 2.0);
    EXPECT_EQ(b.pos(), QPoint(10 + (1600 - 1384) / 2, 6));

    setScale(1.5);
    EXPECT_EQ(b.size(), QSize(1026, 807));
    EXPECT_EQ(b.die(4)->geometry(), ScaledLayout::scaled(b.layout().design(b.die(4)), 1.5));
    EXPECT_EQ(find<QLabel>(QStringLiteral("label_status"))->font().pixelSize(), qRound(1.5 * labelPixels));
    screenshot("scale-1.5x");
}

// A text that fits its box at the design size fits it at every scale (fonts are rounded
// down, boxes are not), the bold phase being played included.
TEST_F(BoardScale, TextsThatFitAtTheDesignSizeFitAtEveryScale)
{
    login();
    ownDice(Mixed);
    Board &b = chat->board();
    b.setPhaseStyle(8, Board::PhaseStyle::Current);
    const auto fits = [](const QLabel *label) {
        return QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width();
    };
    QList<QLabel *> fitting;
    for (QLabel *label : b.findChildren<QLabel *>())
        if (b.layout().contains(label) && !label->text().isEmpty() && fits(label))
            fitting << label;
    ASSERT_GE(fitting.size(), 20); // names, totals, headings, the phase list
    for (qreal s : {1.25, 1.5, 1.75, 2.0}) {
        setScale(s);
        ASSERT_EQ(b.scale(), s);
        for (const QLabel *label : std::as_const(fitting))
            EXPECT_TRUE(fits(label)) << label->objectName().toStdString() << " at " << s;
    }
}

TEST_F(BoardScale, BelowTheDesignSizeTheWindowSnapsBackAndResetReturnsToTheDesign)
{
    login();
    setScale(2.0);
    ASSERT_EQ(chat->board().scale(), 2.0);
    chat->resize(300, 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat->centralWidget()->width() >= 699; }, 2000));
    EXPECT_GE(chat->centralWidget()->height(), 550);
    EXPECT_EQ(chat->board().scale(), 1.0) << "the smallest area shows the design board";
    EXPECT_EQ(chat->board().size(), QSize(Board::Width, Board::Height));
    setScale(1.5);
    chat->menu().resetScreenLocation()->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(chat->options().place().outer().size(), QSize(700, 590));
    EXPECT_EQ(chat->board().scale(), 1.0);
    EXPECT_EQ(chat->board().mapTo(chat->centralWidget(), QPoint(0, 0)), QPoint(5, 3));
}

TEST_F(BoardScale, DoubleDensityPicturesPastScaleOne)
{
    login();
    ownDice(Mixed);
    Board &b = chat->board();
    const qreal ratio = b.devicePixelRatioF();
    EXPECT_EQ(b.die(1)->pictureDensity(), boardpictures::pictureDensity(ratio));
    EXPECT_EQ(b.button_roll->pictureDensity(), boardpictures::pictureDensity(ratio));
    setScale(1.25);
    EXPECT_EQ(b.die(1)->pictureDensity(), 2.0);
    EXPECT_EQ(b.button_roll->pictureDensity(), 2.0);
    EXPECT_EQ(b.b_phrase[2]->icon().availableSizes().value(0), QSize(50, 38));
    // What a die draws at twice the size is its @2x pictures, pixel for pixel, not its 1x
    // pictures enlarged.
    setScale(2.0);
    ASSERT_EQ(ratio, 1.0) << "the comparison below is for the offscreen screen";
    const QImage shown = b.die(1)->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(shown.size(), QSize(96, 96));
    const auto layered = [&](qreal density) {
        QImage image(96, 96, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        for (const QString &layer : b.die(1)->layers())
            painter.drawImage(QRect(0, 0, 96, 96), boardpictures::layer(layer, density));
        return image;
    };
    const QImage sharp = layered(2.0);
    const QImage enlarged = layered(1.0);
    int opaque = 0, unlikeSharp = 0, unlikeEnlarged = 0;
    const auto differs = [](QRgb x, QRgb y) {
        return std::abs(qRed(x) - qRed(y)) + std::abs(qGreen(x) - qGreen(y)) + std::abs(qBlue(x) - qBlue(y)) > 6;
    };
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x) {
            if (qAlpha(sharp.pixel(x, y)) != 255)
                continue;
            ++opaque;
            unlikeSharp += differs(shown.pixel(x, y), sharp.pixel(x, y));
            unlikeEnlarged += differs(shown.pixel(x, y), enlarged.pixel(x, y));
        }
    EXPECT_GT(opaque, 5000);
    EXPECT_EQ(unlikeSharp, 0);
    EXPECT_GT(unlikeEnlarged, 100);
}

TEST_F(BoardScale, ColourSymbolsAreOffUntilChosenAndPersist)
{
    login();
    ownDice(Mixed);
    Board &b = chat->board();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat->options().values().botSpeed != 0; }, 3000));
    EXPECT_FALSE(chat->menu().colourSymbols()->isChecked());
    EXPECT_EQ(b.die(2)->layers(), (QStringList{"dice/body3", "dice/face0"}));

    chat->menu().colourSymbols()->trigger();
    EXPECT_TRUE(chat->menu().colourSymbols()->isChecked());
    EXPECT_EQ(b.die(2)->layers(), (QStringList{"dice/body3", "dice/symbol3", "dice/face0"}));
    EXPECT_EQ(b.die(4)->layers(), (QStringList{"dice/body1", "dice/symbol1", "dice/face3"}));
    QFile ini(dir.filePath(QStringLiteral("vornlobby.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("\nColoursymbols=true\n"));
    ini.close();
    setScale(1.5);
    screenshot("symbols-1.5x");

    // A new window reads it back.
    chat.reset();
    host.peer = nullptr;
    host.received.clear();
    host.framer = MessageFramer();
    login();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat->options().values().botSpeed != 0; }, 3000));
    EXPECT_TRUE(chat->menu().colourSymbols()->isChecked());
    ownDice(Mixed);
    EXPECT_TRUE(chat->board().die(7)->layers().contains(QStringLiteral("dice/symbol4")));
    screenshot("symbols-1x");
    chat->menu().colourSymbols()->trigger();
    EXPECT_FALSE(chat->board().die(7)->layers().contains(QStringLiteral("dice/symbol4")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("\nColoursymbols=false\n")) << "switched off, stored off";
}

TEST(BoardSymbols, TheExampleStripAndTheShuffleCarryTheSymbolsOnlyWhenOn)
{
    Board board;
    DiceTray tray(board);
    ClientModel model;
    model.illustration = 8;
    board.render(model, TurnButtons{});
    EXPECT_EQ(board.image_example->layers(), QStringList{QStringLiteral("examples8")});
    tray.dicetimerTimer();
    EXPECT_EQ(board.die(1)->layers().size(), 2);
    board.setColourSymbols(true);
    EXPECT_EQ(board.image_example->layers(), QStringList{QStringLiteral("examples8s")});
    tray.dicetimerTimer();
    const QStringList frame = board.die(1)->layers();
    ASSERT_EQ(frame.size(), 3);
    EXPECT_EQ(frame[1], QString(frame[0]).replace(QStringLiteral("body"), QStringLiteral("symbol")))
        << "the symbol of the body's colour";
    model.illustration = 0;
    board.render(model, TurnButtons{});
    EXPECT_EQ(board.image_example->layers(), QStringList{QStringLiteral("examples0")}) << "plain felt";
    for (int p = 1; p <= 10; ++p)
        EXPECT_FALSE(boardpictures::load(boardpictures::example(p, true)).isNull()) << p;
    for (int c = 1; c <= 4; ++c)
        EXPECT_FALSE(boardpictures::load(boardpictures::dieSymbol(c)).isNull()) << c;
}

} // namespace
