// The download window's picture, composed from the felt, wood and die painters.
#include "downloadpicture.h"

#include "canvas.h"
#include "dicepainter.h"
#include "texturepainter.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <algorithm>

namespace download {

namespace {

constexpr qreal Rail = 8; // width of the wooden rail around the felt
const QRectF Table(0, 0, Size.width(), Size.height());
const QRectF Felt = Table.adjusted(Rail, Rail, -Rail, -Rail);
const QColor Cream(255, 246, 214);
const QColor Ink(44, 40, 36);

void drawRail(QPainter &p, int scale)
{
    const QImage wood = texture::wood(scale);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QBrush(wood));
    p.setBrushOrigin(-37, -11);
    p.scale(1.0 / scale, 1.0 / scale);
    p.drawRect(QRectF(Table.topLeft() * scale, Table.size() * scale));
    p.restore();
    // A lit outer edge and a shaded inner lip give the rail its roundness.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 214, 160, 70), 1.0));
    p.drawRect(Table.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(QColor(30, 14, 4, 200), 1.2));
    p.drawRoundedRect(Felt.adjusted(-0.6, -0.6, 0.6, 0.6), 5, 5);
}

void drawFelt(QPainter &p, int scale)
{
    QPainterPath cloth;
    cloth.addRoundedRect(Felt, 5, 5);
    p.save();
    p.setClipPath(cloth);
    p.drawImage(Felt, texture::felt(scale), QRectF(QPointF(40, 30) * scale, Felt.size() * scale));
    // A lamp above the table: brighter in the middle, darker under the rail.
    QRadialGradient lamp(Felt.center() + QPointF(-30, -10), Felt.width() * 0.62);
    lamp.setColorAt(0.0, QColor(255, 255, 210, 40));
    lamp.setColorAt(0.6, QColor(255, 255, 210, 0));
    lamp.setColorAt(1.0, QColor(0, 20, 0, 70));
    p.fillRect(Felt, lamp);
    p.setPen(QPen(QColor(0, 0, 0, 90), 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(Felt.adjusted(-1, -1, 1, 1), 6, 6);
    p.restore();
}

void drawTitle(QPainter &p)
{
    const QFont title = art::font(QStringLiteral("Liberation Sans"), 30, true);
    QPainterPath text;
    text.addText(19, 46, title, QStringLiteral("Play online!"));
    art::fillWithShadow(p, text, Cream, QColor(10, 30, 10, 190), QPointF(1.4, 1.8), 1.2);
    const QFont line = art::font(QStringLiteral("Liberation Sans"), 13, false);
    QPainterPath sub;
    sub.addText(21, 67, line, QStringLiteral("Roll the dice with players"));
    sub.addText(21, 83, line, QStringLiteral("from all over the world"));
    art::fillWithShadow(p, sub, QColor(226, 244, 214), QColor(0, 24, 0, 170), QPointF(0.8, 1.0));
}

struct TableDie
{
    QPointF centre;
    qreal size;
    qreal angle;
    int value;
    int colour;
};

void drawDice(QPainter &p)
{
    const TableDie dice[] = {
        {{40, 131}, 40, -14, 0, 1},
        {{84, 143}, 38, 9, 7, 2},
        {{128, 128}, 40, -5, 10, 4},
        {{170, 147}, 34, 18, 5, 3},
    };
    for (const TableDie &d : dice) {
        p.save();
        p.translate(d.centre);
        p.rotate(d.angle);
        dice::drawDie(p, QRectF(-d.size / 2, -d.size / 2, d.size, d.size), d.value, d.colour);
        p.restore();
    }
}

// The lime light of the turn bar, here saying "online".
void drawOnlineLight(QPainter &p, QPointF centre, qreal radius)
{
    p.setPen(QPen(QColor(10, 50, 16), 1.0));
    p.setBrush(QColor(143, 245, 5));
    p.drawEllipse(centre, radius, radius);
}

// A round player token: a white head-and-shoulders figure on a die colour,
// with the online light.
void drawAvatar(QPainter &p, QPointF centre, qreal radius, int colour)
{
    const QColor base = dice::bodyColour(colour);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 80));
    p.drawEllipse(centre + QPointF(0.8, 1.4), radius + 0.6, radius + 0.6);
    QRadialGradient g(centre - QPointF(radius * 0.4, radius * 0.5), radius * 1.6);
    g.setColorAt(0.0, art::mix(base, Qt::white, 0.35));
    g.setColorAt(1.0, art::shade(base, 0.7));
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
    QPainterPath disc;
    disc.addEllipse(centre, radius, radius);
    p.setClipPath(disc);
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawEllipse(centre + QPointF(0, -radius * 0.22), radius * 0.36, radius * 0.36);
    p.drawEllipse(centre + QPointF(0, radius * 0.78), radius * 0.7, radius * 0.55);
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 220), 1.3));
    p.drawEllipse(centre, radius, radius);
    drawOnlineLight(p, centre + QPointF(radius * 0.72, radius * 0.72), radius * 0.26);
    p.restore();
}

QFont bubbleFont()
{
    return art::font(QStringLiteral("Liberation Sans"), 11.5, true);
}

// A speech bubble whose tail points left towards its speaker, or right when
// mirrored; the text is centred in it.
void drawBubble(QPainter &p, const QRectF &box, bool tailRight, const QString &text)
{
    QPainterPath bubble;
    bubble.addRoundedRect(box, 8, 8);
    const qreal tailY = box.center().y() + 1;
    const qreal edge = tailRight ? box.right() : box.left();
    const qreal dir = tailRight ? 1 : -1;
    QPainterPath tail;
    tail.moveTo(edge - dir * 4, tailY - 5);
    tail.lineTo(edge + dir * 6, tailY + 2);
    tail.lineTo(edge - dir * 2, tailY + 5);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    art::fillWithShadow(p, bubble, QColor(255, 253, 244), QColor(0, 20, 0, 110), QPointF(1.0, 1.6));
    p.save();
    p.setFont(bubbleFont());
    p.setPen(Ink);
    p.drawText(box.adjusted(0, 0, 0, -0.5), Qt::AlignCenter, text);
    p.restore();
}

struct ChatLine
{
    qreal y;
    int colour;
    bool fromRight;
    QString text;
};

// Four players chatting down the right side; the last one is still typing.
void drawChat(QPainter &p)
{
    const ChatLine lines[] = {
        {34, 4, false, QStringLiteral("Hi all! :)")},
        {71, 2, true, QStringLiteral("Join us!")},
        {108, 1, false, QStringLiteral("Good luck!")},
        {145, 3, false, QStringLiteral("\u2022 \u2022 \u2022")},
    };
    constexpr qreal Radius = 11, Gap = 8, Padding = 20, Column = 120;
    const QFontMetricsF metrics(bubbleFont());
    const qreal leftX = Felt.right() - 4 - Column + Radius;
    const qreal rightX = Felt.right() - 4 - Radius;
    for (const ChatLine &line : lines) {
        const qreal avatarX = line.fromRight ? rightX : leftX;
        drawAvatar(p, QPointF(avatarX, line.y), Radius, line.colour);
        const qreal width = std::max(40.0, metrics.horizontalAdvance(line.text) + Padding);
        const qreal x = line.fromRight ? avatarX - Radius - Gap - width : avatarX + Radius + Gap;
        drawBubble(p, QRectF(x, line.y - 11, width, 22), line.fromRight, line.text);
    }
}

} // namespace

void draw(QPainter &p, int scale)
{
    drawRail(p, scale);
    drawFelt(p, scale);
    drawTitle(p);
    drawChat(p);
    drawDice(p);
}

QImage picture()
{
    return art::render(Size, 1, draw).convertToFormat(QImage::Format_RGB888);
}

bool save(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImageWriter writer(path, "jpeg");
    writer.setQuality(JpegQuality);
    writer.setOptimizedWrite(true);
    if (!writer.write(picture())) {
        QTextStream(stderr) << "cannot write " << path << ": " << writer.errorString() << '\n';
        return false;
    }
    return true;
}

} // namespace download
