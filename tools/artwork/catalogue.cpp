// The picture list and the pieces composed from the painters: example strips
// on felt and the application icon.
#include "catalogue.h"

#include "boardpainter.h"
#include "chatpainter.h"
#include "dicepainter.h"
#include "texturepainter.h"

#include <QPainter>
#include <QStringList>
#include <array>

namespace catalogue {

namespace {

constexpr QSize DieSize(48, 48);
constexpr QSize StripSize(151, 16);
constexpr QSize GlyphSize(25, 19);

const std::array<const char *, 10> Examples = {
    "Wm 9g 9m | 10y Wb 10g",     "Wm 9g 9m | 6y 7y 8m",     "5y 5m 5g 5g | 7y 8m Wb 10y",
    "3m 4b 5g 6y 7y 8m 9m",      "2g 3m 4b 5g 6y 7y Wm 9m", "2g 3m 4b 5g 6y 7y Wm 9m 10g",
    "6y 6m Wb Wm | Wy 7m 7m 7y", "Wg 2g 1g 10g 5g 5g 8g",   "Wb Wm 9g 9m 9g | 10y 10g",
    "6y 6m 6b 6b Wm | 8y 8m 8m",
};

int colourCode(QChar letter)
{
    switch (letter.toLatin1()) {
    case 'y':
        return 1;
    case 'b':
        return 2;
    case 'g':
        return 3;
    case 'm':
        return 4;
    default:
        return 0;
    }
}

// The strip's ground: the felt exactly as the phase list shows it (stretched
// to 169 x 193), cut where the strip lies (7, 4) inside it, so strip and
// panel meet without a seam.
QImage stripGround(int scale)
{
    const QImage felt =
        texture::felt(scale).scaled(QSize(169, 193) * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return felt.copy(QRect(QPoint(7, 4) * scale, StripSize * scale));
}

void drawStrip(QPainter &p, int scale, int phase, bool symbols)
{
    p.drawImage(QRectF(QPointF(0, 0), StripSize), stripGround(scale));
    if (phase == 0)
        return;
    constexpr qreal Die = 15, Pitch = 16.5, Gap = 7;
    const QStringList groups = exampleDice(phase).split(QLatin1Char('|'));
    int count = 0;
    for (const QString &g : groups)
        count += int(g.split(QLatin1Char(' '), Qt::SkipEmptyParts).size());
    const qreal width = count * Pitch - (Pitch - Die) + (groups.size() - 1) * Gap;
    qreal x = (StripSize.width() - width) / 2;
    for (const QString &g : groups) {
        for (const QString &die : g.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int value = die.startsWith(QLatin1Char('W')) ? 0 : die.chopped(1).toInt();
            const QRectF box(x, 0.5, Die, Die);
            const int colour = colourCode(die.back());
            dice::drawBody(p, box, colour);
            if (symbols)
                dice::drawSymbol(p, box, colour);
            dice::drawFace(p, box, value);
            x += Pitch;
        }
        x += Gap;
    }
}

// The icon: a blue die and a gold wild die, drawn with the die artwork; the
// small sizes show the gold die alone.
void drawIcon(QPainter &p, int size)
{
    const qreal s = size;
    if (size <= 32) {
        dice::drawDie(p, QRectF(0, 0, s, s).adjusted(-s * 0.02, 0, s * 0.02, s * 0.04), 0, 1);
        return;
    }
    // Two dice set corner to corner, so both faces stay readable.
    p.save();
    p.translate(s * 0.31, s * 0.32);
    p.rotate(-12);
    dice::drawDie(p, QRectF(-s * 0.28, -s * 0.28, s * 0.56, s * 0.56), 7, 2);
    p.restore();
    p.save();
    p.translate(s * 0.68, s * 0.67);
    p.rotate(8);
    dice::drawDie(p, QRectF(-s * 0.3, -s * 0.3, s * 0.6, s * 0.6), 0, 1);
    p.restore();
}

void addDice(std::vector<Picture> &list)
{
    for (int v = 0; v <= 10; ++v)
        list.push_back({QStringLiteral("dice/face%1").arg(v), DieSize,
                        [v](QPainter &p, int) { dice::drawFace(p, QRectF(QPointF(0, 0), DieSize), v); }});
    for (int c = 1; c <= 4; ++c)
        list.push_back({QStringLiteral("dice/body%1").arg(c), DieSize,
                        [c](QPainter &p, int) { dice::drawBody(p, QRectF(QPointF(0, 0), DieSize), c); }});
    for (int c = 1; c <= 4; ++c)
        list.push_back({QStringLiteral("dice/symbol%1").arg(c), DieSize,
                        [c](QPainter &p, int) { dice::drawSymbol(p, QRectF(QPointF(0, 0), DieSize), c); }});
    list.push_back({QStringLiteral("dice/keep"), DieSize,
                    [](QPainter &p, int) { dice::drawKeep(p, QRectF(QPointF(0, 0), DieSize)); }});
}

void addBoard(std::vector<Picture> &list)
{
    for (int n = 0; n <= 3; ++n)
        list.push_back(
            {QStringLiteral("rolls%1").arg(n), QSize(66, 22), [n](QPainter &p, int) { board::drawRolls(p, n); }});
    for (int phase = 0; phase <= 10; ++phase)
        list.push_back({QStringLiteral("examples%1").arg(phase), StripSize,
                        [phase](QPainter &p, int scale) { drawStrip(p, scale, phase, false); }});
    // The same strips with the colour symbols on their dice.
    for (int phase = 1; phase <= 10; ++phase)
        list.push_back({QStringLiteral("examples%1s").arg(phase), StripSize,
                        [phase](QPainter &p, int scale) { drawStrip(p, scale, phase, true); }});
    list.push_back({QStringLiteral("card"), QSize(168, 179), [](QPainter &p, int) { board::drawCard(p); }});
    list.push_back({QStringLiteral("felt"), texture::FeltSize, [](QPainter &p, int scale) {
                        p.drawImage(QRectF(QPointF(0, 0), texture::FeltSize), texture::felt(scale));
                    }});
    list.push_back({QStringLiteral("wood"), texture::WoodSize, [](QPainter &p, int scale) {
                        p.drawImage(QRectF(QPointF(0, 0), texture::WoodSize), texture::wood(scale));
                    }});
    list.push_back({QStringLiteral("button_roll"), QSize(128, 36),
                    [](QPainter &p, int) { board::drawButton(p, 128, QStringLiteral("ROLL DICE")); }});
    list.push_back({QStringLiteral("button_alldone"), QSize(128, 36),
                    [](QPainter &p, int) { board::drawButton(p, 128, QStringLiteral("ALL DONE")); }});
    list.push_back({QStringLiteral("button_start"), QSize(154, 36),
                    [](QPainter &p, int) { board::drawButton(p, 154, QStringLiteral("START GAME")); }});
    list.push_back({QStringLiteral("winner"), QSize(210, 43), [](QPainter &p, int) { board::drawWinner(p); }});
    list.push_back({QStringLiteral("eyes"), QSize(37, 17), [](QPainter &p, int) { board::drawEyes(p); }});
    list.push_back({QStringLiteral("logo"), QSize(155, 22), [](QPainter &p, int) { board::drawLogo(p); }});
    list.push_back({QStringLiteral("turn"), QSize(138, 24), [](QPainter &p, int) { board::drawTurn(p); }});
}

void addChat(std::vector<Picture> &list)
{
    for (int n = 1; n <= 10; ++n)
        list.push_back(
            {QStringLiteral("phrase%1").arg(n), GlyphSize, [n](QPainter &p, int) { chat::drawPhrase(p, n); }});
    list.push_back(
        {QStringLiteral("smileybutton"), GlyphSize, [](QPainter &p, int) { chat::drawSmileyButton(p); }});
    for (int i = 0; i < chat::SmileyCount; ++i)
        list.push_back({QStringLiteral("smiley%1").arg(i + 1, 2, 10, QLatin1Char('0')), QSize(17, 16),
                        [i](QPainter &p, int) { chat::drawSmiley(p, i); }});
}

void addIcons(std::vector<Picture> &list)
{
    list.push_back({QStringLiteral("appicon"), QSize(256, 256), [](QPainter &p, int) { drawIcon(p, 256); }});
    for (int size : {16, 32, 48, 64, 128})
        list.push_back({QStringLiteral("appicon-%1").arg(size), QSize(size, size),
                        [size](QPainter &p, int) { drawIcon(p, size); }, false});
}

} // namespace

QString exampleDice(int phase)
{
    if (phase < 1 || phase > int(Examples.size()))
        return {};
    return QString::fromLatin1(Examples[phase - 1]);
}

std::vector<Picture> pictures()
{
    std::vector<Picture> list;
    addDice(list);
    addBoard(list);
    addChat(list);
    addIcons(list);
    return list;
}

QImage renderPicture(const Picture &picture, int scale)
{
    return art::render(picture.size, scale, picture.draw);
}

} // namespace catalogue
