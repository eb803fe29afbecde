// Loading the board's pictures by resource name.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

namespace boardpictures {

// ":/images/<name>.png", or its "@2x" twin on a high-density screen. A picture that is
// not compiled in gives a null pixmap (the control then shows nothing).
QPixmap load(const QString &name);
// The same for a picture drawn at density device pixels a board pixel (the board's scale
// times the screen's pixel ratio): the "@2x" twin once density passes 1.
QPixmap load(const QString &name, qreal density);
// The same picture for painting as a layer of a PictureBox: a palette picture (the felt)
// stays at one byte a pixel and is the caller's own; the others are the shared pixmaps'.
QImage layer(const QString &name);
QImage layer(const QString &name, qreal density);
// The pixel ratio of the pictures chosen at that density: 1 or 2.
qreal pictureDensity(qreal density);

// Names of the picture-list entries.
QString dieBody(int color);   // color 1 to 4
QString dieFace(int value);   // value 0 (wild) to 10
QString dieSymbol(int color); // color 1 to 4: the colour's shape, drawn over the body
QString keepFrame();
QString rolls(int used);                          // 0 to 3
QString example(int phase, bool symbols = false); // 0 (plain felt) to 10; symbols: dice marked

} // namespace boardpictures
