// Die artwork: the coloured bodies, the white faces, the keep frame, and the
// small dice of the phase example strips. All take a target square so the same
// drawing serves the 48-pixel dice, the 14-pixel example dice and the icon.
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace dice {

// Colour codes 1 gold, 2 blue, 3 green, 4 magenta; anything else gives grey.
QColor bodyColour(int colour);

// The body square with soft corners, bevelled rim, gradient and shine.
void drawBody(QPainter &p, const QRectF &box, int colour);

// The face: value 1..10 as a white numeral, 0 as a W; transparent elsewhere.
void drawFace(QPainter &p, const QRectF &box, int value);

// The colour's symbol in the top-left corner of the body, so that dice of different colours
// differ in shape too: 1 circle, 2 triangle, 3 square, 4 diamond, light with a dark edge.
// Drawn between the body and the face; nothing for other codes.
void drawSymbol(QPainter &p, const QRectF &box, int colour);
// The outline of that symbol centred on centre, radius about half its width.
QPainterPath symbolPath(int colour, QPointF centre, qreal radius);

// The keep frame: a dark outline along the body's edge.
void drawKeep(QPainter &p, const QRectF &box);

// A complete die as the board paints it: body, face, and the frame when kept.
void drawDie(QPainter &p, const QRectF &box, int value, int colour, bool kept = false);

} // namespace dice
