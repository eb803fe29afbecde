// The shared look of the auxiliary windows: the wood background and the centring.
#include "windowstyle.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A 2 x 2 tile: red, green / blue, white.
QPixmap checkerTile()
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixelColor(0, 0, Qt::red);
    image.setPixelColor(1, 0, Qt::green);
    image.setPixelColor(0, 1, Qt::blue);
    image.setPixelColor(1, 1, Qt::white);
    return QPixmap::fromImage(image);
}

QImage painted(const QPixmap &tile, const QRect &rect)
{
    QImage canvas(6, 6, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    windowstyle::paintWood(painter, rect, tile);
    painter.end();
    return canvas;
}

TEST(WindowStyle, WoodIsTiledFromTheRectanglesCornerOverTheBrown)
{
    const QImage canvas = painted(checkerTile(), QRect(1, 1, 4, 4));
    EXPECT_EQ(canvas.pixelColor(0, 0), QColor(Qt::black)) << "outside the rectangle";
    EXPECT_EQ(canvas.pixelColor(1, 1), QColor(Qt::red)) << "tile starts at the corner";
    EXPECT_EQ(canvas.pixelColor(2, 1), QColor(Qt::green));
    EXPECT_EQ(canvas.pixelColor(1, 2), QColor(Qt::blue));
    EXPECT_EQ(canvas.pixelColor(4, 4), QColor(Qt::white)) << "repeated";
    EXPECT_EQ(canvas.pixelColor(5, 5), QColor(Qt::black)) << "outside the rectangle";
}

TEST(WindowStyle, MissingWoodLeavesTheBrown)
{
    const QImage canvas = painted(QPixmap(), QRect(0, 0, 6, 6));
    EXPECT_EQ(canvas.pixelColor(3, 3), windowstyle::Brown);

    QWidget window;
    windowstyle::setWoodBackground(window, QPixmap());
    EXPECT_TRUE(window.autoFillBackground());
    EXPECT_EQ(window.palette().brush(QPalette::Window).color(), windowstyle::Brown);
    windowstyle::setWoodBackground(window, checkerTile());
    EXPECT_FALSE(window.palette().brush(QPalette::Window).texture().isNull()) << "the planks are the brush";
}

TEST(WindowStyle, TheWoodPictureIsThere)
{
    EXPECT_FALSE(windowstyle::woodTile().isNull());
}

TEST(WindowStyle, ArialAtAPixelSize)
{
    const QFont bold = windowstyle::arial(14, true);
    EXPECT_EQ(bold.family(), QStringLiteral("Arial"));
    EXPECT_EQ(bold.pixelSize(), 14);
    EXPECT_TRUE(bold.bold());
    EXPECT_FALSE(windowstyle::arial(12).bold());
}

TEST(WindowStyle, RoundedBoxHasItsBandFillAndCutCorners)
{
    QImage canvas(20, 12, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    windowstyle::paintRoundedBox(painter, canvas.rect(), QBrush(Qt::white), Qt::red, 2, 5);
    painter.end();
    EXPECT_EQ(canvas.pixelColor(0, 0), QColor(Qt::black)) << "outside the rounded corner";
    EXPECT_EQ(canvas.pixelColor(19, 11), QColor(Qt::black)) << "outside the rounded corner";
    for (const QPoint &band : {QPoint(0, 6), QPoint(1, 6), QPoint(10, 0), QPoint(10, 1), QPoint(19, 6),
                               QPoint(18, 6), QPoint(10, 11), QPoint(10, 10)})
        EXPECT_EQ(canvas.pixelColor(band), QColor(Qt::red)) << band.x() << "," << band.y();
    for (const QPoint &inside : {QPoint(2, 6), QPoint(10, 2), QPoint(17, 6), QPoint(10, 9), QPoint(10, 6)})
        EXPECT_EQ(canvas.pixelColor(inside), QColor(Qt::white)) << inside.x() << "," << inside.y();
}

TEST(WindowStyle, PlainFontKeepsItsFamilyUnderAnArialWindow)
{
    QWidget window;
    window.setFont(windowstyle::arial());
    QWidget child(&window);
    child.setFont(windowstyle::plainFont(13, true));
    EXPECT_EQ(child.font().family(), QGuiApplication::font().family());
    EXPECT_EQ(child.font().pixelSize(), 13);
    EXPECT_TRUE(child.font().bold());
}

TEST(WindowStyle, CentresTheFrameOnTheAreaAndIgnoresAnEmptyArea)
{
    struct Case
    {
        const char *name;
        QSize size;
        QRect area;
    };
    const Case cases[] = {
        {"even sizes", QSize(200, 100), QRect(100, 50, 600, 400)},
        {"odd sizes", QSize(201, 101), QRect(3, 3, 701, 591)},
        {"larger than the area", QSize(800, 600), QRect(0, 0, 300, 200)},
    };
    for (const Case &c : cases) {
        QWidget window;
        window.resize(c.size);
        windowstyle::centreOn(window, c.area);
        EXPECT_LE((window.frameGeometry().center() - c.area.center()).manhattanLength(), 1) << c.name;
        EXPECT_EQ(window.frameGeometry().size(), c.size) << c.name;
    }
    QWidget window;
    window.move(40, 30);
    windowstyle::centreOn(window, QRect());
    EXPECT_EQ(window.pos(), QPoint(40, 30)) << "an empty area moves nothing";
}

} // namespace
