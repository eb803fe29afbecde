// Die artwork drawn with vector shapes so that every size stays crisp.
#include "dicepainter.h"

#include "canvas.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace dice {

namespace {

// The body occupies the box minus a margin that leaves room for its shadow.
QRectF bodyRect(const QRectF &box)
{
    const qreal m = box.width() / 48.0;
    return box.adjusted(1.5 * m, 1 * m, -2.5 * m, -3 * m);
}

qreal cornerRadius(const QRectF &body)
{
    return body.width() * 0.2;
}

QPainterPath rounded(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

void drawShadow(QPainter &p, const QRectF &body, qreal unit)
{
    p.setPen(Qt::NoPen);
    const qreal radius = cornerRadius(body);
    for (int i = 0; i < 3; ++i) {
        const qreal grow = (3 - i) * 0.7 * unit;
        p.setBrush(QColor(0, 0, 0, 34 + 18 * i));
        const QRectF r = body.translated(1.3 * unit, 2.0 * unit).adjusted(-grow, -grow, grow, grow);
        p.drawRoundedRect(r, radius + grow, radius + grow);
    }
}

void drawRim(QPainter &p, const QRectF &body, const QColor &base)
{
    QLinearGradient rim(body.topLeft(), body.bottomRight());
    rim.setColorAt(0.0, art::mix(base, Qt::white, 0.55));
    rim.setColorAt(0.45, art::mix(base, Qt::white, 0.15));
    rim.setColorAt(1.0, art::shade(base, 0.55));
    p.setPen(QPen(art::shade(base, 0.4), body.width() / 44.0));
    p.setBrush(rim);
    p.drawPath(rounded(body, cornerRadius(body)));
}

void drawTop(QPainter &p, const QRectF &body, const QColor &base)
{
    const qreal inset = body.width() * 0.075;
    const QRectF top = body.adjusted(inset, inset, -inset, -inset);
    QLinearGradient fill(top.topLeft(), top.bottomRight());
    fill.setColorAt(0.0, art::shade(base, 0.9));
    fill.setColorAt(0.5, base);
    fill.setColorAt(1.0, art::mix(base, Qt::white, 0.18));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(rounded(top, cornerRadius(top)));

    // A soft sheen across the upper half, as if lit from above.
    QRadialGradient shine(QPointF(top.center().x() - top.width() * 0.15, top.top() + top.height() * 0.12),
                          top.width() * 0.75);
    shine.setColorAt(0.0, QColor(255, 255, 255, 95));
    shine.setColorAt(0.55, QColor(255, 255, 255, 28));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(shine);
    p.drawPath(rounded(top, cornerRadius(top)));
}

} // namespace

QColor bodyColour(int colour)
{
    switch (colour) {
    case 1:
        return QColor(184, 129, 8);
    case 2:
        return QColor(30, 40, 214);
    case 3:
        return QColor(11, 157, 9);
    case 4:
        return QColor(213, 27, 167);
    default:
        return QColor(128, 128, 128);
    }
}

void drawBody(QPainter &p, const QRectF &box, int colour)
{
    p.save();
    const QRectF body = bodyRect(box);
    const QColor base = bodyColour(colour);
    drawShadow(p, body, box.width() / 48.0);
    drawRim(p, body, base);
    drawTop(p, body, base);
    p.restore();
}

void drawFace(QPainter &p, const QRectF &box, int value)
{
    p.save();
    const QRectF body = bodyRect(box);
    const qreal unit = box.width() / 48.0;
    const bool small = box.width() < 30;
    const QString text = value == 0 ? QStringLiteral("W") : QString::number(value);
    qreal size = (value == 0 ? 31 : value == 10 ? 29 : 34) * unit;
    if (small)
        size *= value == 10 ? 1.06 : 1.12;
    QFont f = art::font(QStringLiteral("Liberation Sans"), size, true, value == 10 ? -0.7 * unit : 0);
    if (value == 10)
        f.setStretch(small ? 84 : 90);
    const QPointF centre = body.center() + QPointF(-0.2 * unit, -0.6 * unit);
    const QPainterPath glyph = art::centredText(f, text, centre);
    art::fillWithShadow(p, glyph, Qt::white, QColor(45, 45, 45, 170), QPointF(1.6 * unit, 1.8 * unit),
                        small ? 0.0 : 1.0 * unit);
    p.restore();
}

QPainterPath symbolPath(int colour, QPointF centre, qreal r)
{
    QPainterPath path;
    const qreal x = centre.x(), y = centre.y();
    switch (colour) {
    case 1:
        path.addEllipse(centre, r * 0.92, r * 0.92);
        break;
    case 2: // pointing up, its weight a little below the centre
        path.moveTo(x, y - r * 1.05);
        path.lineTo(x + r * 1.05, y + r * 0.8);
        path.lineTo(x - r * 1.05, y + r * 0.8);
        path.closeSubpath();
        break;
    case 3:
        path.addRect(QRectF(x - r * 0.8, y - r * 0.8, r * 1.6, r * 1.6));
        break;
    case 4: // its points reach well beyond the circle's outline
        path.moveTo(x, y - r * 1.25);
        path.lineTo(x + r * 1.2, y);
        path.lineTo(x, y + r * 1.25);
        path.lineTo(x - r * 1.2, y);
        path.closeSubpath();
        break;
    default:
        break;
    }
    return path;
}

void drawSymbol(QPainter &p, const QRectF &box, int colour)
{
    if (colour < 1 || colour > 4)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = bodyRect(box);
    const qreal unit = box.width() / 48.0;
    // The small example dice carry a larger symbol for their size, or it would be a dot.
    const bool small = box.width() < 30;
    const qreal radius = small ? box.width() * 0.15 : 5.0 * unit;
    const qreal inset = small ? radius + 0.6 * unit : 8.0 * unit;
    const QPointF centre(body.left() + inset, body.top() + inset);
    const QPainterPath path = symbolPath(colour, centre, radius);
    p.setPen(QPen(QColor(28, 22, 16), small ? qMax(0.7, 1.6 * unit) : 1.5 * unit, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.setBrush(QColor(252, 248, 236));
    p.drawPath(path);
    p.restore();
}

void drawKeep(QPainter &p, const QRectF &box)
{
    p.save();
    const QRectF body = bodyRect(box);
    const qreal unit = box.width() / 48.0;
    p.setBrush(Qt::NoBrush);
    const QRectF outer = body.adjusted(0.2 * unit, 0.2 * unit, -0.2 * unit, -0.2 * unit);
    p.setPen(QPen(QColor(20, 16, 10, 240), 3.4 * unit));
    p.drawPath(rounded(outer, cornerRadius(outer)));
    const QRectF inner = body.adjusted(2.6 * unit, 2.6 * unit, -2.6 * unit, -2.6 * unit);
    p.setPen(QPen(QColor(255, 255, 255, 170), 1.0 * unit));
    p.drawPath(rounded(inner, cornerRadius(inner)));
    p.restore();
}

void drawDie(QPainter &p, const QRectF &box, int value, int colour, bool kept)
{
    drawBody(p, box, colour);
    drawFace(p, box, value);
    if (kept)
        drawKeep(p, box);
}

} // namespace dice
