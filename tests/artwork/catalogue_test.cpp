// Checks the artwork against the resource names and sizes the client loads,
// and checks the committed pictures are the ones the generator draws.
#include "catalogue.h"
#include "dicepainter.h"
#include "texturepainter.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QPainter>
#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>

namespace {

const QString AssetsDir = QStringLiteral(DORVANE_TEST_DATA "/../../assets");

QMap<QString, QSize> catalogueSizes()
{
    QMap<QString, QSize> sizes;
    for (const catalogue::Picture &picture : catalogue::pictures())
        sizes.insert(picture.name, picture.size);
    return sizes;
}

struct Expected
{
    QString name;
    QSize size;
};

// The resources the client loads, with their 1x sizes.
std::vector<Expected> expectedResources()
{
    std::vector<Expected> list;
    for (int v = 0; v <= 10; ++v)
        list.push_back({QStringLiteral("dice/face%1").arg(v), {48, 48}});
    for (int c = 1; c <= 4; ++c)
        list.push_back({QStringLiteral("dice/body%1").arg(c), {48, 48}});
    for (int c = 1; c <= 4; ++c)
        list.push_back({QStringLiteral("dice/symbol%1").arg(c), {48, 48}});
    list.push_back({QStringLiteral("dice/keep"), {48, 48}});
    for (int n = 0; n <= 3; ++n)
        list.push_back({QStringLiteral("rolls%1").arg(n), {66, 22}});
    for (int p = 0; p <= 10; ++p)
        list.push_back({QStringLiteral("examples%1").arg(p), {151, 16}});
    for (int p = 1; p <= 10; ++p)
        list.push_back({QStringLiteral("examples%1s").arg(p), {151, 16}});
    list.insert(list.end(), {{QStringLiteral("card"), {168, 179}},
                             {QStringLiteral("felt"), {488, 280}},
                             {QStringLiteral("wood"), {300, 128}},
                             {QStringLiteral("button_roll"), {128, 36}},
                             {QStringLiteral("button_alldone"), {128, 36}},
                             {QStringLiteral("button_start"), {154, 36}},
                             {QStringLiteral("winner"), {210, 43}},
                             {QStringLiteral("eyes"), {37, 17}},
                             {QStringLiteral("logo"), {155, 22}},
                             {QStringLiteral("turn"), {138, 24}},
                             {QStringLiteral("smileybutton"), {25, 19}},
                             {QStringLiteral("appicon"), {256, 256}}});
    for (int n = 1; n <= 10; ++n)
        list.push_back({QStringLiteral("phrase%1").arg(n), {25, 19}});
    for (int n = 1; n <= 18; ++n)
        list.push_back({QStringLiteral("smiley%1").arg(n, 2, 10, QLatin1Char('0')), {17, 16}});
    return list;
}

TEST(Catalogue, DrawsEveryResourceTheClientLoadsAtItsSize)
{
    const QMap<QString, QSize> sizes = catalogueSizes();
    for (const Expected &e : expectedResources()) {
        ASSERT_TRUE(sizes.contains(e.name)) << e.name.toStdString();
        EXPECT_EQ(sizes.value(e.name), e.size) << e.name.toStdString();
    }
}

TEST(Catalogue, RendersEachPictureAtOneAndTwoTimesItsSize)
{
    for (const catalogue::Picture &picture : catalogue::pictures()) {
        EXPECT_EQ(catalogue::renderPicture(picture, 1).size(), picture.size) << picture.name.toStdString();
        if (picture.withDouble) {
            EXPECT_EQ(catalogue::renderPicture(picture, 2).size(), picture.size * 2) << picture.name.toStdString();
        }
    }
}

// A regenerated catalogue without regenerated files would leave the client
// loading stale or missing pictures.
TEST(Catalogue, CommittedPicturesAndResourceFileMatchTheCatalogue)
{
    // Each scale in a resource file of its own: images.qrc (1x), images2x.qrc (@2x).
    QFile qrc(AssetsDir + QStringLiteral("/images.qrc"));
    ASSERT_TRUE(qrc.open(QIODevice::ReadOnly)) << "images.qrc missing";
    QFile doubleQrc(AssetsDir + QStringLiteral("/images2x.qrc"));
    ASSERT_TRUE(doubleQrc.open(QIODevice::ReadOnly)) << "images2x.qrc missing";
    const QString listings[] = {QString::fromUtf8(qrc.readAll()), QString::fromUtf8(doubleQrc.readAll())};
    for (const catalogue::Picture &picture : catalogue::pictures()) {
        QStringList files{picture.name + QStringLiteral(".png")};
        if (picture.withDouble)
            files << picture.name + QStringLiteral("@2x.png");
        for (int i = 0; i < files.size(); ++i) {
            const QString file = files[i];
            const QString alias = QStringLiteral("alias=\"%1\"").arg(file);
            EXPECT_TRUE(listings[i].contains(alias)) << file.toStdString();
            EXPECT_FALSE(listings[1 - i].contains(alias)) << file.toStdString() << " is listed at both scales";
            QImageReader reader(AssetsDir + QStringLiteral("/images/") + file);
            EXPECT_EQ(reader.size(), picture.size * (i + 1)) << file.toStdString();
        }
    }
}

struct StripCase
{
    int phase;
    std::vector<int> groups; // dice per group
};

TEST(Catalogue, ExampleStripsShowTheDiceOfTheirPhase)
{
    const StripCase cases[] = {{1, {3, 3}}, {2, {3, 3}}, {3, {4, 4}}, {4, {7}},    {5, {8}},
                               {6, {9}},    {7, {4, 4}}, {8, {7}},    {9, {5, 2}}, {10, {5, 3}}};
    for (const StripCase &c : cases) {
        const QStringList groups = catalogue::exampleDice(c.phase).split(QLatin1Char('|'));
        ASSERT_EQ(groups.size(), qsizetype(c.groups.size())) << "phase " << c.phase;
        for (qsizetype g = 0; g < groups.size(); ++g)
            EXPECT_EQ(groups[g].split(QLatin1Char(' '), Qt::SkipEmptyParts).size(), qsizetype(c.groups[g]))
                << "phase " << c.phase << " group " << g;
    }
    const QStringList phase8 = catalogue::exampleDice(8).split(QLatin1Char(' '));
    for (const QString &die : phase8)
        EXPECT_TRUE(die.endsWith(QLatin1Char('g'))) << "phase 8 is all green: " << die.toStdString();
    EXPECT_TRUE(catalogue::exampleDice(0).isEmpty());
    EXPECT_TRUE(catalogue::exampleDice(11).isEmpty());
}

TEST(Dice, BodiesShowTheirColourAndFacesLeaveTheGroundClear)
{
    const QColor expected[] = {{184, 129, 8}, {30, 40, 214}, {11, 157, 9}, {213, 27, 167}};
    for (int c = 1; c <= 4; ++c) {
        QImage body =
            art::render({48, 48}, 1, [c](QPainter &p, int) { dice::drawBody(p, QRectF(0, 0, 48, 48), c); });
        const QColor centre = body.pixelColor(23, 25);
        EXPECT_EQ(centre.alpha(), 255) << "body " << c;
        const int hueGap = std::abs(centre.hsvHue() - expected[c - 1].hsvHue());
        EXPECT_LE(std::min(hueGap, 360 - hueGap), 12) << "body " << c;
        EXPECT_EQ(body.pixelColor(0, 0).alpha(), 0) << "rounded corner of body " << c;
    }
    for (int v = 0; v <= 10; ++v) {
        QImage face =
            art::render({48, 48}, 1, [v](QPainter &p, int) { dice::drawFace(p, QRectF(0, 0, 48, 48), v); });
        EXPECT_EQ(face.pixelColor(3, 3).alpha(), 0) << "face " << v;
        int white = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x)
                white += face.pixelColor(x, y) == QColor(Qt::white);
        EXPECT_GT(white, 60) << "face " << v << " needs a big white numeral";
    }
    QImage keep = art::render({48, 48}, 1, [](QPainter &p, int) { dice::drawKeep(p, QRectF(0, 0, 48, 48)); });
    EXPECT_EQ(keep.pixelColor(24, 24).alpha(), 0) << "keep frame is open inside";
    EXPECT_GT(keep.pixelColor(24, 2).alpha(), 200) << "keep frame has a solid edge";
}

QImage symbolAlone(int colour, int size = 48)
{
    return art::render({size, size}, 1, [colour, size](QPainter &p, int) {
        dice::drawSymbol(p, QRectF(0, 0, size, size), colour);
    });
}

int luminance(const QColor &c)
{
    return (299 * c.red() + 587 * c.green() + 114 * c.blue()) / 1000;
}

// The four colours also differ in shape: each symbol's outline covers pixels the others do
// not, each is light inside a dark edge, readable on its own die, and clear of the numeral.
TEST(Dice, ColourSymbolsDifferInOutlineAndStandOutOnTheirDie)
{
    std::vector<QImage> symbols;
    for (int c = 1; c <= 4; ++c)
        symbols.push_back(symbolAlone(c));
    for (int a = 0; a < 4; ++a) {
        for (int b = a + 1; b < 4; ++b) {
            int differing = 0;
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 48; ++x)
                    differing +=
                        (symbols[a].pixelColor(x, y).alpha() > 128) != (symbols[b].pixelColor(x, y).alpha() > 128);
            EXPECT_GE(differing, 12) << "symbols " << a + 1 << " and " << b + 1 << " look alike";
        }
    }
    for (int c = 1; c <= 4; ++c) {
        const QImage &symbol = symbols[c - 1];
        const QColor inside = symbol.pixelColor(10, 10);
        EXPECT_EQ(inside.alpha(), 255) << "symbol " << c;
        EXPECT_GE(luminance(inside), 230) << "symbol " << c << " is light inside";
        int dark = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x) {
                const QColor px = symbol.pixelColor(x, y);
                dark += px.alpha() > 200 && luminance(px) < 80;
            }
        EXPECT_GE(dark, 12) << "symbol " << c << " has a dark edge";
        for (int y = 18; y < 40; ++y)
            for (int x = 18; x < 40; ++x)
                ASSERT_EQ(symbol.pixelColor(x, y).alpha(), 0) << "symbol " << c << " reaches the numeral";
        QImage die = art::render({48, 48}, 1, [c](QPainter &p, int) {
            dice::drawBody(p, QRectF(0, 0, 48, 48), c);
            dice::drawSymbol(p, QRectF(0, 0, 48, 48), c);
        });
        EXPECT_GE(luminance(die.pixelColor(10, 10)) - luminance(die.pixelColor(30, 34)), 90)
            << "symbol " << c << " stands out on its body";
    }
    EXPECT_EQ(symbolAlone(0), symbolAlone(5)) << "no symbol for other codes";
    EXPECT_EQ(symbolAlone(0).pixelColor(10, 10).alpha(), 0);
    // The example strips with symbols are the plain ones with the symbols added.
    const auto strip = [](const QString &name) {
        for (const catalogue::Picture &picture : catalogue::pictures())
            if (picture.name == name)
                return catalogue::renderPicture(picture, 1);
        return QImage();
    };
    for (int phase = 1; phase <= 10; ++phase)
        EXPECT_NE(strip(QStringLiteral("examples%1").arg(phase)), strip(QStringLiteral("examples%1s").arg(phase)))
            << phase;
}

double meanDifference(const QImage &image, int x1, int y1, int x2, int y2, int steps, bool alongRows)
{
    double sum = 0;
    for (int i = 0; i < steps; ++i) {
        const QColor a = alongRows ? image.pixelColor(x1, i) : image.pixelColor(i, y1);
        const QColor b = alongRows ? image.pixelColor(x2, i) : image.pixelColor(i, y2);
        sum += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
    }
    return sum / steps;
}

// The wood tile covers the window edge to edge, so its wrap edges must look
// like any other neighbouring columns and plank boundaries.
TEST(Textures, WoodRepeatsWithoutVisibleSeams)
{
    for (int scale : {1, 2}) {
        const QImage wood = texture::wood(scale);
        const int w = wood.width(), h = wood.height();
        double inner = 0;
        for (int x = 1; x < w; ++x)
            inner += meanDifference(wood, x - 1, 0, x, 0, h, true);
        inner /= w - 1;
        EXPECT_LE(meanDifference(wood, w - 1, 0, 0, 0, h, true), 2.0 * inner) << "across, scale " << scale;
        const int plank = h / 4;
        const double boundary = meanDifference(wood, 0, plank - 1, 0, plank, w, false);
        EXPECT_LE(meanDifference(wood, 0, h - 1, 0, 0, w, false), 1.5 * boundary) << "down, scale " << scale;
    }
}

TEST(Textures, AreTheSameOnEveryRun)
{
    EXPECT_EQ(texture::felt(1), texture::felt(1));
    EXPECT_EQ(texture::wood(2), texture::wood(2));
}

} // namespace
