// Board pieces: score card, buttons, banner, eyes, logo, turn bar, roll counter.
#include "boardpainter.h"

#include "canvas.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>

namespace board {

namespace {

const QColor CardGreen(18, 84, 36);
const QColor RimGreen(10, 62, 26);
const QColor PlateBrown(120, 72, 36);

// Card-relative rows of the five phase boxes and the columns of the two box sets.
constexpr std::array<int, 5> PhaseRows{36, 55, 74, 93, 112};
constexpr int LeftBoxX = 44;
constexpr int RightBoxX = 125;
constexpr int BonusRow = 134;
constexpr QRectF TotalBox(81, 157, 36, 18);
constexpr QRectF NameBox(7, 6, 121, 20);
constexpr QRectF BonusCountBox(129, 6, 32, 20);

// A sunken score box: dark edge, a shadow along the top, light fill.
void drawScoreBox(QPainter &p, const QRectF &r, const QColor &fill)
{
    p.setPen(QPen(QColor(6, 40, 16), 1.0));
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, art::shade(fill, 0.78));
    g.setColorAt(0.22, fill);
    g.setColorAt(1.0, art::mix(fill, Qt::white, 0.35));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(-0.5, -0.5, 0.5, 0.5), 2.5, 2.5);
}

void drawCardLabel(QPainter &p, const QString &text, const QRectF &r, Qt::Alignment align, qreal size)
{
    p.setFont(art::font(QStringLiteral("Liberation Sans"), size, true));
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(r.translated(0.8, 0.9), align | Qt::AlignVCenter, text);
    p.setPen(QColor(238, 246, 228));
    p.drawText(r, align | Qt::AlignVCenter, text);
}

void drawCardBackground(QPainter &p)
{
    const QRectF outer(0.5, 0.5, 167, 178);
    QLinearGradient g(outer.topLeft(), outer.bottomLeft());
    g.setColorAt(0.0, art::mix(CardGreen, Qt::white, 0.12));
    g.setColorAt(0.5, CardGreen);
    g.setColorAt(1.0, art::shade(CardGreen, 0.72));
    p.setPen(QPen(QColor(4, 30, 12), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(outer, 8, 8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(150, 210, 150, 90), 1.0));
    p.drawRoundedRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), 6.5, 6.5);
    // Dividers under the name row and above the bonus rows.
    p.setPen(QPen(QColor(0, 0, 0, 70), 1.0));
    p.drawLine(QPointF(8, 31.5), QPointF(160, 31.5));
    p.drawLine(QPointF(8, 131.5), QPointF(160, 131.5));
    p.setPen(QPen(QColor(160, 220, 160, 60), 1.0));
    p.drawLine(QPointF(8, 32.5), QPointF(160, 32.5));
    p.drawLine(QPointF(8, 132.5), QPointF(160, 132.5));
}

QPainterPath plateShape(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

} // namespace

void drawPlate(QPainter &p, const QRectF &r, qreal radius, const QColor &base)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, art::mix(base, Qt::white, 0.22));
    g.setColorAt(0.45, base);
    g.setColorAt(1.0, art::shade(base, 0.62));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(plateShape(r, radius));
    p.save();
    p.setClipPath(plateShape(r, radius));
    for (int i = 0; i < int(r.height() / 2.5); ++i) {
        const qreal y = r.top() + 1.2 + i * 2.5 + art::hashNoise(i, 1, 55) * 1.2;
        const int alpha = 10 + int(art::hashNoise(i, 2, 55) * 22);
        p.setPen(QPen(QColor(40, 18, 4, alpha), 0.7));
        QPainterPath grain(QPointF(r.left(), y));
        grain.cubicTo(QPointF(r.left() + r.width() * 0.3, y + 1.2), QPointF(r.left() + r.width() * 0.6, y - 1.0),
                      QPointF(r.right(), y + 0.4));
        p.drawPath(grain);
    }
    p.restore();
}

void drawCard(QPainter &p)
{
    drawCardBackground(p);
    drawScoreBox(p, NameBox, QColor(246, 246, 236));
    drawScoreBox(p, BonusCountBox, QColor(246, 246, 236));
    for (int row = 0; row < 5; ++row) {
        const int y = PhaseRows[row];
        drawScoreBox(p, QRectF(LeftBoxX, y, 36, 18), Qt::white);
        drawScoreBox(p, QRectF(RightBoxX, y, 36, 18), Qt::white);
        drawCardLabel(p, QStringLiteral("PH%1").arg(row + 1), QRectF(8, y, 33, 18), Qt::AlignLeft, 12);
        drawCardLabel(p, QStringLiteral("PH%1").arg(row + 6), QRectF(84, y, 37, 18), Qt::AlignRight, 12);
    }
    const QColor grey(200, 204, 198);
    drawScoreBox(p, QRectF(LeftBoxX, BonusRow, 36, 18), grey);
    drawScoreBox(p, QRectF(RightBoxX, BonusRow, 36, 18), grey);
    drawCardLabel(p, QStringLiteral("Bonus"), QRectF(6, BonusRow, 36, 18), Qt::AlignLeft, 11);
    drawCardLabel(p, QStringLiteral("Bonus"), QRectF(82, BonusRow, 39, 18), Qt::AlignRight, 11);
    drawScoreBox(p, TotalBox, grey);
    drawCardLabel(p, QStringLiteral("TOTAL"), QRectF(30, TotalBox.top(), 47, 18), Qt::AlignRight, 12);
}

void drawButton(QPainter &p, int width, const QString &caption)
{
    const QRectF outer(0.5, 0.5, width - 1, 35);
    QLinearGradient rim(outer.topLeft(), outer.bottomLeft());
    rim.setColorAt(0.0, art::mix(RimGreen, Qt::white, 0.25));
    rim.setColorAt(1.0, art::shade(RimGreen, 0.6));
    p.setPen(QPen(QColor(3, 24, 8), 1.0));
    p.setBrush(rim);
    p.drawRoundedRect(outer, 9, 9);
    const QRectF plate = outer.adjusted(3.5, 3.5, -3.5, -3.5);
    drawPlate(p, plate, 6, PlateBrown);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 225, 180, 70), 1.0));
    p.drawRoundedRect(plate.adjusted(0.5, 0.5, -0.5, -0.5), 5.5, 5.5);
    const QFont f = art::font(QStringLiteral("Liberation Sans"), 16, true, 1.2);
    art::engraveText(p, art::centredText(f, caption, plate.center()), QColor(250, 248, 240), 0.9);
}

void drawWinner(QPainter &p)
{
    const QRectF outer(0.5, 0.5, 209, 42);
    QLinearGradient g(outer.topLeft(), outer.bottomLeft());
    g.setColorAt(0.0, QColor(24, 104, 44));
    g.setColorAt(0.5, QColor(12, 74, 30));
    g.setColorAt(1.0, QColor(6, 46, 18));
    p.setPen(QPen(QColor(2, 20, 6), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(outer, 7, 7);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(226, 190, 80), 1.4));
    p.drawRoundedRect(outer.adjusted(3, 3, -3, -3), 4.5, 4.5);
    const QFont f = art::font(QStringLiteral("Liberation Serif"), 34, true, 3.5);
    const QPainterPath text = art::centredText(f, QStringLiteral("WINNER"), QPointF(105.5, 22));
    art::fillWithShadow(p, text, Qt::white, QColor(0, 0, 0, 170), QPointF(1.5, 1.8), 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(226, 190, 80));
    for (qreal x : {13.0, 197.0}) {
        QPainterPath star;
        star.moveTo(x, 15);
        star.lineTo(x + 2.2, 21.5);
        star.lineTo(x, 28);
        star.lineTo(x - 2.2, 21.5);
        star.closeSubpath();
        p.drawPath(star);
    }
}

void drawEyes(QPainter &p)
{
    for (qreal left : {1.0, 19.5}) {
        const QRectF eye(left, 1, 16.5, 15);
        QRadialGradient white(eye.center() - QPointF(2, 2), 10);
        white.setColorAt(0.0, Qt::white);
        white.setColorAt(1.0, QColor(214, 218, 226));
        p.setPen(QPen(QColor(20, 20, 20), 1.3));
        p.setBrush(white);
        p.drawEllipse(eye);
        const QPointF pupil = eye.center() + QPointF(3.0, 1.8);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(18, 18, 18));
        p.drawEllipse(pupil, 3.6, 4.0);
        p.setBrush(Qt::white);
        p.drawEllipse(pupil + QPointF(-1.2, -1.5), 1.1, 1.1);
    }
}

void drawLogo(QPainter &p)
{
    const QRectF outer(0.5, 0.5, 154, 21);
    drawPlate(p, outer, 4, QColor(92, 52, 22));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 20, 6), 1.0));
    p.drawRoundedRect(outer, 4, 4);
    p.setPen(QPen(QColor(255, 220, 170, 60), 1.0));
    p.drawRoundedRect(outer.adjusted(1, 1, -1, -1), 3, 3);
    const QFont f = art::font(QStringLiteral("Liberation Sans"), 13, true, 1.3);
    const QPainterPath text = art::centredText(f, QStringLiteral("VORN22 SOFTWARE"), QPointF(77.5, 11.2));
    art::fillWithShadow(p, text, QColor(92, 220, 70), QColor(20, 8, 0, 200), QPointF(1, 1.1), 0.8);
}

void drawTurn(QPainter &p)
{
    QLinearGradient g(0, 0, 0, 24);
    g.setColorAt(0.0, QColor(184, 255, 72));
    g.setColorAt(0.5, QColor(143, 245, 5));
    g.setColorAt(1.0, QColor(110, 205, 0));
    p.fillRect(QRectF(0, 0, 138, 24), g);
}

void drawRolls(QPainter &p, int used)
{
    const QRectF outer(0.5, 0.5, 65, 21);
    drawPlate(p, outer, 4, QColor(110, 64, 30));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(45, 22, 6), 1.0));
    p.drawRoundedRect(outer, 4, 4);
    for (int i = 0; i < 3; ++i) {
        const QRectF box(4.5 + 21 * i, 3.5, 15, 15);
        p.setPen(QPen(QColor(40, 20, 6), 1.0));
        QLinearGradient g(box.topLeft(), box.bottomLeft());
        g.setColorAt(0.0, QColor(222, 222, 216));
        g.setColorAt(0.25, Qt::white);
        g.setColorAt(1.0, QColor(250, 250, 244));
        p.setBrush(g);
        p.drawRoundedRect(box, 2, 2);
        if (i < used) {
            p.setPen(QPen(QColor(214, 16, 16), 2.4, Qt::SolidLine, Qt::RoundCap));
            const QRectF x = box.adjusted(3.5, 3.5, -3.5, -3.5);
            p.drawLine(x.topLeft(), x.bottomRight());
            p.drawLine(x.topRight(), x.bottomLeft());
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(16, 16, 16));
            p.drawEllipse(box.center(), 2.4, 2.4);
        }
    }
}

} // namespace board
