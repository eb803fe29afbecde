// windowstyle: the look the auxiliary windows share with the main window's background:
// the wood planks, their brown, the Arial fonts and the centring over the main window.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>

#include <functional>

class QFrame;
class QPainter;
class QWidget;

namespace windowstyle {

// Under the planks, and in their place while the picture is missing.
inline const QColor Brown(116, 66, 33);
// The dark brown rim of panels and buttons, and the deep green of headings.
inline const QColor RimBrown(70, 40, 14);
inline const QColor HeadingGreen(16, 96, 30);

// The planks tiled in every auxiliary window (":/images/wood.png").
QPixmap woodTile();

// Arial at a size in pixels (fontconfig stands a metric twin in for it). Text in scripts that
// need no shaping (the game's own, Latin) is laid out from the character map and the kerning
// table alone: the OpenType shaper would copy the face's large positioning table once per
// size and weight in use (about 0.9 MiB with the shaping library's pages for the board and
// the download window). Scripts that need shaping are still shaped.
QFont arial(int pixels, bool bold = false);
// Arial at the toolkit's default size, shaped as above: the base font of a window.
QFont arial();

// The toolkit's default family at a size in pixels: the text of the panels over the planks.
QFont plainFont(int pixels, bool bold = false);

// Sets the colour of widget's text (its palette's window text and text, in every state).
void setTextColour(QWidget &widget, const QColor &colour);

// The white fields of the auxiliary windows (lists): black text on white inside a plain
// 1 px black line.
void setWhiteField(QFrame &field);

// Paints a box over the whole of rect with rounded corners (radius of the outer edge, in
// pixels): a band borderWidth pixels wide along its edge in border, fill inside the band.
void paintRoundedBox(QPainter &painter, const QRect &rect, const QBrush &fill, const QColor &border,
                     int borderWidth, qreal radius);

// Fills rect with the brown, then tiles the planks over it (nothing more when tile is null).
void paintWood(QPainter &painter, const QRect &rect, const QPixmap &tile);
// Makes window paint its background as paintWood does, through its palette.
void setWoodBackground(QWidget &window, const QPixmap &tile);

// Escape anywhere in window calls close (the window's "Done", "Cancel" or title bar close).
void closeOnEscape(QWidget &window, std::function<void()> close);

// Moves the window so that its frame is centred on area (a screen rectangle, usually the
// main window's frame); an empty area leaves it where it is.
void centreOn(QWidget &window, const QRect &area);

} // namespace windowstyle
