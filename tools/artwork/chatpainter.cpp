// Chat-area artwork: phrase glyphs and smileys.
#include "chatpainter.h"

#include "boardpainter.h"
#include "canvas.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace chat {

namespace {

const QRectF GlyphRect(0.5, 0.5, 24, 18);
const QColor GlyphBrown(122, 70, 32);

void drawGlyphPlate(QPainter &p)
{
    board::drawPlate(p, GlyphRect, 3, GlyphBrown);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(50, 24, 6), 1.0));
    p.drawRoundedRect(GlyphRect, 3, 3);
}

void drawNote(QPainter &p)
{
    // Two beamed eighth notes.
    QPainterPath note;
    note.addEllipse(QPointF(8.2, 13.6), 2.9, 2.2);
    note.addEllipse(QPointF(16.2, 12.4), 2.9, 2.2);
    note.addRect(QRectF(10.2, 4.2, 1.5, 9.6));
    note.addRect(QRectF(18.2, 3.0, 1.5, 9.6));
    QPainterPath beam;
    beam.moveTo(10.2, 4.2);
    beam.lineTo(19.7, 3.0);
    beam.lineTo(19.7, 5.8);
    beam.lineTo(10.2, 7.0);
    beam.closeSubpath();
    note = note.united(beam);
    art::fillWithShadow(p, note, Qt::white, QColor(30, 12, 2, 190), QPointF(0.8, 0.9));
}

// Face geometry shared by the smileys.
constexpr QPointF Centre(8.5, 8.2);
constexpr qreal Radius = 7.3;
const QColor Ink(58, 34, 4);

struct Face
{
    QPainter &p;

    void head(const QColor &light, const QColor &dark, QPointF centre = Centre, qreal radius = Radius)
    {
        QRadialGradient g(centre - QPointF(2.2, 2.6), radius * 1.5);
        g.setColorAt(0.0, light);
        g.setColorAt(1.0, dark);
        p.setPen(QPen(art::shade(dark, 0.45), 1.0));
        p.setBrush(g);
        p.drawEllipse(centre, radius, radius);
    }
    void yellow(QPointF centre = Centre, qreal radius = Radius)
    {
        head(QColor(255, 244, 120), QColor(240, 176, 0), centre, radius);
    }
    void dot(QPointF at, qreal rx = 1.05, qreal ry = 1.45, const QColor &c = Ink)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(at, rx, ry);
    }
    void eyes(qreal dy = 0)
    {
        dot(QPointF(6.1, 6.3 + dy));
        dot(QPointF(10.9, 6.3 + dy));
    }
    void stroke(const QPainterPath &path, qreal width = 1.1, const QColor &c = Ink)
    {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    }
    void curve(QPointF a, QPointF control, QPointF b, qreal width = 1.1, const QColor &c = Ink)
    {
        QPainterPath path(a);
        path.quadTo(control, b);
        stroke(path, width, c);
    }
    void line(QPointF a, QPointF b, qreal width = 1.1) { curve(a, (a + b) / 2, b, width); }
    void smile(qreal depth = 2.6) { curve(QPointF(5.4, 10.0), QPointF(8.5, 10.0 + depth), QPointF(11.6, 10.0)); }
    void frown() { curve(QPointF(5.6, 12.4), QPointF(8.5, 9.2), QPointF(11.4, 12.4)); }
    void closedEye(QPointF at, bool happy)
    {
        const qreal dy = happy ? -1.6 : 1.2;
        curve(at + QPointF(-1.5, 0.5), at + QPointF(0, dy), at + QPointF(1.5, 0.5), 1.0);
    }
    // Open mouth between y top and bottom, filled dark with an optional tongue.
    void openMouth(qreal top, qreal bottom, qreal halfWidth, bool teeth)
    {
        QPainterPath mouth;
        mouth.moveTo(8.5 - halfWidth, top);
        mouth.lineTo(8.5 + halfWidth, top);
        mouth.quadTo(8.5 + halfWidth, bottom, 8.5, bottom);
        mouth.quadTo(8.5 - halfWidth, bottom, 8.5 - halfWidth, top);
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(QColor(110, 20, 20));
        p.drawPath(mouth);
        p.save();
        p.setClipPath(mouth);
        p.setPen(Qt::NoPen);
        if (teeth) {
            p.setBrush(Qt::white);
            p.drawRect(QRectF(0, top, 17, 1.3));
        }
        p.setBrush(QColor(236, 96, 110));
        p.drawEllipse(QPointF(8.5, bottom + 0.2), halfWidth * 0.7, 1.6);
        p.restore();
    }
    void heart(QPointF at, qreal size, const QColor &c)
    {
        QPainterPath h;
        h.moveTo(at + QPointF(0, size * 0.9));
        h.cubicTo(at + QPointF(-size * 1.3, -size * 0.1), at + QPointF(-size * 0.6, -size * 1.1),
                  at + QPointF(0, -size * 0.35));
        h.cubicTo(at + QPointF(size * 0.6, -size * 1.1), at + QPointF(size * 1.3, -size * 0.1),
                  at + QPointF(0, size * 0.9));
        p.setPen(QPen(art::shade(c, 0.6), 0.5));
        p.setBrush(c);
        p.drawPath(h);
    }
};

void smile(Face &f)
{
    f.yellow();
    f.eyes();
    f.smile();
}
void grin(Face &f)
{
    f.yellow();
    f.eyes(-0.3);
    f.openMouth(9.6, 13.4, 3.8, true);
}
void wink(Face &f)
{
    f.yellow();
    f.dot(QPointF(6.1, 6.3));
    f.closedEye(QPointF(10.9, 6.6), true);
    f.curve(QPointF(5.4, 10.4), QPointF(9.0, 13.4), QPointF(11.9, 9.6));
}
void sad(Face &f)
{
    f.yellow();
    f.eyes(0.3);
    f.frown();
}
void cry(Face &f)
{
    f.yellow();
    f.closedEye(QPointF(6.1, 6.4), false);
    f.closedEye(QPointF(10.9, 6.4), false);
    f.frown();
    for (qreal x : {5.2, 11.8}) {
        QPainterPath drop;
        drop.moveTo(x, 7.4);
        drop.cubicTo(QPointF(x + 1.9, 10.2), QPointF(x + 1.2, 11.6), QPointF(x, 11.6));
        drop.cubicTo(QPointF(x - 1.2, 11.6), QPointF(x - 1.9, 10.2), QPointF(x, 7.4));
        f.p.setPen(QPen(QColor(20, 90, 200), 0.5));
        f.p.setBrush(QColor(90, 180, 255));
        f.p.drawPath(drop);
    }
}
void angry(Face &f)
{
    f.head(QColor(255, 160, 90), QColor(222, 48, 20));
    f.line(QPointF(4.3, 4.2), QPointF(7.6, 5.8), 1.2);
    f.line(QPointF(12.7, 4.2), QPointF(9.4, 5.8), 1.2);
    f.dot(QPointF(6.3, 7.4), 1.0, 1.1);
    f.dot(QPointF(10.7, 7.4), 1.0, 1.1);
    f.curve(QPointF(5.8, 12.4), QPointF(8.5, 10.0), QPointF(11.2, 12.4), 1.2);
}
void surprised(Face &f)
{
    f.yellow();
    f.line(QPointF(4.6, 3.6), QPointF(7.0, 2.9), 0.9);
    f.line(QPointF(10.0, 2.9), QPointF(12.4, 3.6), 0.9);
    f.dot(QPointF(6.0, 6.3), 1.35, 1.9);
    f.dot(QPointF(11.0, 6.3), 1.35, 1.9);
    f.p.setPen(QPen(Ink, 0.9));
    f.p.setBrush(QColor(110, 20, 20));
    f.p.drawEllipse(QPointF(8.5, 11.7), 1.7, 2.1);
}
void tongue(Face &f)
{
    f.yellow();
    f.eyes();
    QPainterPath t;
    t.addRoundedRect(QRectF(8.0, 10.2, 3.6, 4.4), 1.8, 1.8);
    f.p.setPen(QPen(QColor(150, 30, 50), 0.6));
    f.p.setBrush(QColor(240, 90, 120));
    f.p.drawPath(t);
    f.line(QPointF(9.8, 11.0), QPointF(9.8, 13.0), 0.5);
    f.curve(QPointF(5.2, 10.2), QPointF(8.5, 11.4), QPointF(11.8, 10.0));
}
void cool(Face &f)
{
    f.yellow();
    QPainterPath glasses;
    glasses.addRoundedRect(QRectF(3.4, 4.9, 4.8, 3.3), 1.4, 1.4);
    glasses.addRoundedRect(QRectF(8.8, 4.9, 4.8, 3.3), 1.4, 1.4);
    glasses.addRect(QRectF(1.8, 5.1, 13.4, 0.9));
    f.p.setPen(Qt::NoPen);
    f.p.setBrush(QColor(16, 16, 20));
    f.p.drawPath(glasses);
    f.p.setBrush(QColor(255, 255, 255, 150));
    f.p.drawEllipse(QPointF(5.0, 5.9), 0.9, 0.5);
    f.p.drawEllipse(QPointF(10.4, 5.9), 0.9, 0.5);
    f.curve(QPointF(6.0, 11.0), QPointF(9.5, 12.8), QPointF(11.9, 10.0));
}
void laugh(Face &f)
{
    f.yellow();
    f.closedEye(QPointF(6.1, 6.3), true);
    f.closedEye(QPointF(10.9, 6.3), true);
    f.openMouth(8.8, 14.0, 4.4, true);
}
void kiss(Face &f)
{
    f.yellow();
    f.closedEye(QPointF(6.1, 6.4), true);
    f.closedEye(QPointF(10.9, 6.4), true);
    f.p.setPen(QPen(QColor(150, 0, 30), 0.6));
    f.p.setBrush(QColor(226, 24, 64));
    f.p.drawEllipse(QPointF(8.0, 11.3), 1.9, 1.5);
    f.p.setPen(QPen(QColor(120, 0, 20), 0.7));
    f.p.drawLine(QPointF(6.6, 11.3), QPointF(9.4, 11.3));
    f.heart(QPointF(14.0, 12.4), 2.1, QColor(240, 40, 80));
}
void confused(Face &f)
{
    f.yellow();
    f.eyes(0.4);
    f.line(QPointF(4.6, 4.0), QPointF(7.4, 3.4), 1.0);
    f.line(QPointF(9.6, 4.8), QPointF(12.4, 5.0), 1.0);
    QPainterPath wave(QPointF(5.2, 11.4));
    wave.cubicTo(QPointF(6.6, 9.8), QPointF(7.6, 12.8), QPointF(8.8, 11.2));
    wave.cubicTo(QPointF(9.9, 9.8), QPointF(10.8, 12.6), QPointF(11.9, 10.8));
    f.stroke(wave);
}
void sleepy(Face &f)
{
    f.yellow(QPointF(7.8, 8.6), 7.0);
    f.line(QPointF(3.9, 7.2), QPointF(6.9, 7.2), 1.0);
    f.line(QPointF(8.7, 7.2), QPointF(11.7, 7.2), 1.0);
    f.p.setPen(QPen(Ink, 0.8));
    f.p.setBrush(QColor(110, 20, 20));
    f.p.drawEllipse(QPointF(7.8, 11.8), 1.2, 1.0);
    const QFont z = art::font(QStringLiteral("DejaVu Sans"), 5.5, true);
    const QColor blue(40, 90, 230);
    art::fillWithShadow(f.p, art::centredText(z, QStringLiteral("z"), QPointF(13.4, 4.6)), blue,
                        QColor(255, 255, 255, 160), QPointF(0.4, 0.4));
    art::fillWithShadow(f.p,
                        art::centredText(art::font(QStringLiteral("DejaVu Sans"), 4.2, true), QStringLiteral("z"),
                                         QPointF(15.6, 1.9)),
                        blue, QColor(255, 255, 255, 160), QPointF(0.4, 0.4));
}
void devil(Face &f)
{
    const QColor horn(120, 10, 20);
    QPainterPath horns;
    horns.moveTo(3.2, 5.0);
    horns.quadTo(1.6, 2.0, 2.4, 0.3);
    horns.quadTo(4.4, 2.0, 6.2, 2.6);
    horns.moveTo(13.8, 5.0);
    horns.quadTo(15.4, 2.0, 14.6, 0.3);
    horns.quadTo(12.6, 2.0, 10.8, 2.6);
    f.p.setPen(QPen(art::shade(horn, 0.6), 0.5));
    f.p.setBrush(horn);
    f.p.drawPath(horns);
    f.head(QColor(236, 110, 230), QColor(150, 20, 150), QPointF(8.5, 8.9), 6.8);
    f.line(QPointF(5.0, 5.8), QPointF(7.6, 7.0), 1.0);
    f.line(QPointF(12.0, 5.8), QPointF(9.4, 7.0), 1.0);
    f.dot(QPointF(6.4, 8.0), 0.9, 1.0);
    f.dot(QPointF(10.6, 8.0), 0.9, 1.0);
    f.curve(QPointF(4.8, 10.6), QPointF(8.5, 14.6), QPointF(12.2, 10.6), 1.2);
}
void angel(Face &f)
{
    f.yellow(QPointF(8.5, 9.2), 6.6);
    f.p.setPen(QPen(QColor(255, 210, 40), 1.1));
    f.p.setBrush(Qt::NoBrush);
    f.p.drawEllipse(QPointF(8.5, 1.8), 4.6, 1.3);
    f.p.setPen(QPen(QColor(255, 255, 220, 200), 0.4));
    f.p.drawEllipse(QPointF(8.5, 1.8), 4.6, 1.3);
    f.dot(QPointF(6.4, 8.2), 0.9, 1.2);
    f.dot(QPointF(10.6, 8.2), 0.9, 1.2);
    f.curve(QPointF(5.8, 11.0), QPointF(8.5, 13.4), QPointF(11.2, 11.0));
}
void blush(Face &f)
{
    f.yellow();
    f.p.setPen(Qt::NoPen);
    f.p.setBrush(QColor(255, 90, 110, 150));
    f.p.drawEllipse(QPointF(4.4, 9.6), 1.8, 1.1);
    f.p.drawEllipse(QPointF(12.6, 9.6), 1.8, 1.1);
    f.closedEye(QPointF(6.1, 6.4), true);
    f.closedEye(QPointF(10.9, 6.4), true);
    f.smile(1.8);
}
void neutral(Face &f)
{
    f.yellow();
    f.eyes();
    f.line(QPointF(5.6, 11.2), QPointF(11.4, 11.2), 1.2);
}
void love(Face &f)
{
    f.yellow();
    f.heart(QPointF(5.9, 6.4), 2.0, QColor(236, 20, 60));
    f.heart(QPointF(11.1, 6.4), 2.0, QColor(236, 20, 60));
    f.smile(2.8);
}

using SmileyFn = void (*)(Face &);
constexpr SmileyFn Smileys[SmileyCount] = {smile, grin, wink,     sad,    cry,   angry, surprised, tongue,  cool,
                                           laugh, kiss, confused, sleepy, devil, angel, blush,     neutral, love};

} // namespace

void drawPhrase(QPainter &p, int number)
{
    drawGlyphPlate(p);
    if (number >= 10) {
        drawNote(p);
        return;
    }
    const QFont f = art::font(QStringLiteral("Liberation Sans"), 12, true);
    const QPainterPath text = art::centredText(f, QStringLiteral("P%1").arg(number), QPointF(12.5, 9.5));
    art::fillWithShadow(p, text, Qt::white, QColor(30, 12, 2, 190), QPointF(0.8, 0.9));
}

void drawSmileyButton(QPainter &p)
{
    drawGlyphPlate(p);
    const QPointF c(12.5, 9.5);
    p.setPen(QPen(QColor(30, 12, 2, 150), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c + QPointF(0.7, 0.8), 6.6, 6.6);
    p.setPen(QPen(Qt::white, 1.4));
    p.drawEllipse(c, 6.6, 6.6);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(c + QPointF(-2.4, -1.9), 1.0, 1.35);
    p.drawEllipse(c + QPointF(2.4, -1.9), 1.0, 1.35);
    QPainterPath mouth(c + QPointF(-3.3, 1.4));
    mouth.quadTo(c + QPointF(0, 5.0), c + QPointF(3.3, 1.4));
    p.setPen(QPen(Qt::white, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mouth);
}

void drawSmiley(QPainter &p, int index)
{
    Face face{p};
    Smileys[index % SmileyCount](face);
}

} // namespace chat
