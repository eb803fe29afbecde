// Shared drawing helpers for the artwork generator.
#include "canvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace art {

QImage render(QSize logical, int scale, const DrawFn &draw)
{
    QImage image(logical * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
    draw(p, scale);
    p.end();
    return image;
}

QFont font(const QString &family, qreal pixelSize, bool bold, qreal letterSpacing)
{
    QFont f(family);
    f.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoFontMerging));
    f.setKerning(true);
    if (letterSpacing != 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return f;
}

QPainterPath centredText(const QFont &f, const QString &text, QPointF centre)
{
    QPainterPath path;
    path.addText(0, 0, f, text);
    const QRectF box = path.boundingRect();
    path.translate(centre - box.center());
    return path;
}

void fillWithShadow(QPainter &p, const QPainterPath &path, const QColor &fill, const QColor &shadow,
                    QPointF shadowOffset, qreal edgeWidth)
{
    p.save();
    p.setPen(Qt::NoPen);
    QColor soft = shadow;
    soft.setAlphaF(shadow.alphaF() * 0.45);
    p.setBrush(soft);
    p.drawPath(path.translated(shadowOffset * 1.6));
    p.setBrush(shadow);
    p.drawPath(path.translated(shadowOffset));
    if (edgeWidth > 0) {
        QColor edge = shadow;
        edge.setAlphaF(std::min(1.0, shadow.alphaF() * 0.8));
        p.strokePath(path, QPen(edge, edgeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    p.setBrush(fill);
    p.drawPath(path);
    p.restore();
}

void engraveText(QPainter &p, const QPainterPath &path, const QColor &face, qreal depth)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(25, 12, 4, 210));
    p.drawPath(path.translated(-depth, -depth));
    p.setBrush(QColor(255, 226, 185, 120));
    p.drawPath(path.translated(depth, depth));
    p.setBrush(face);
    p.drawPath(path);
    p.restore();
}

float hashNoise(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B1u;
    h ^= std::uint32_t(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= std::uint32_t(y) * 0xC2B2AE3Du;
    h *= 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x165667B1u;
    h ^= h >> 13;
    return float(h & 0xFFFFFFu) / float(0x1000000);
}

namespace {

int wrap(int i, int period)
{
    const int r = i % period;
    return r < 0 ? r + period : r;
}

double smooth(double t)
{
    return t * t * (3 - 2 * t);
}

} // namespace

float tiledNoise(double u, double v, int periodX, int periodY, std::uint32_t seed)
{
    const double fu = std::floor(u);
    const double fv = std::floor(v);
    const int x0 = int(fu);
    const int y0 = int(fv);
    const double tx = smooth(u - fu);
    const double ty = smooth(v - fv);
    const auto at = [&](int x, int y) { return double(hashNoise(wrap(x, periodX), wrap(y, periodY), seed)); };
    const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * tx;
    const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * tx;
    return float(top + (bottom - top) * ty);
}

QColor mix(const QColor &a, const QColor &b, qreal t)
{
    const auto lerp = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  lerp(a.alpha(), b.alpha()));
}

QColor shade(const QColor &c, qreal factor)
{
    const auto f = [factor](int x) { return std::clamp(int(std::lround(x * factor)), 0, 255); };
    return QColor(f(c.red()), f(c.green()), f(c.blue()), c.alpha());
}

} // namespace art
