// Board pieces drawn with vector shapes: score card, picture buttons, winner
// banner, eyes, logo, turn bar and roll counter. Each draws in logical units
// from (0, 0) at the picture's own size.
#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace board {

// A brown plate with a hint of wood grain (buttons, glyphs, logo, roll counter).
void drawPlate(QPainter &p, const QRectF &r, qreal radius, const QColor &base);

// Score card, 168 x 179. The boxes sit where the seat's score labels lie.
void drawCard(QPainter &p);

// Picture button of the given width (36 high): brown plate, green rim, engraved caption.
void drawButton(QPainter &p, int width, const QString &caption);

// WINNER banner, 210 x 43.
void drawWinner(QPainter &p);

// Cartoon eyes, 37 x 17.
void drawEyes(QPainter &p);

// Maker's logo, 155 x 22.
void drawLogo(QPainter &p);

// Lime turn marker, 138 x 24.
void drawTurn(QPainter &p);

// Roll counter, 66 x 22: the first `used` boxes crossed, the rest dotted.
void drawRolls(QPainter &p, int used);

} // namespace board
