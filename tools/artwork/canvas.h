// Shared drawing helpers for the artwork generator: rendering at a scale, fonts,
// text outlines and deterministic noise.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>

class QPainter;

namespace art {

// Draws a picture in logical units; scale is the device pixels per logical pixel
// (1 or 2) for the few painters that work per pixel.
using DrawFn = std::function<void(QPainter &, int scale)>;

// Renders a logical size at the given scale onto a transparent ground.
QImage render(QSize logical, int scale, const DrawFn &draw);

// A font of the given family and pixel height, unhinted so that 1x and 2x match.
QFont font(const QString &family, qreal pixelSize, bool bold = true, qreal letterSpacing = 0);

// Text outline with its bounding box centred on the given point.
QPainterPath centredText(const QFont &f, const QString &text, QPointF centre);

// Fills a path with a soft drop shadow, a thin dark edge and the main colour.
void fillWithShadow(QPainter &p, const QPainterPath &path, const QColor &fill, const QColor &shadow,
                    QPointF shadowOffset, qreal edgeWidth = 0);

// Draws text cut into a plate: dark upper-left edge, light lower-right edge, face on top.
void engraveText(QPainter &p, const QPainterPath &path, const QColor &face, qreal depth);

// Hash noise in [0, 1) for an integer lattice point.
float hashNoise(int x, int y, std::uint32_t seed);

// Smooth value noise in [0, 1) that repeats every periodX cells across and
// periodY cells down (u and v are measured in cells).
float tiledNoise(double u, double v, int periodX, int periodY, std::uint32_t seed);

// Colour mixing helpers.
QColor mix(const QColor &a, const QColor &b, qreal t);
QColor shade(const QColor &c, qreal factor);

} // namespace art
