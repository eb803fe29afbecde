// boardstyle: the board's colours and its font.
#pragma once

#include "windowstyle.h"

#include <QColor>

namespace boardstyle {

inline const QColor White(255, 255, 255);    // headings, round, example texts
inline const QColor DarkGreen(0, 100, 0);    // names, scores, bonus cells
inline const QColor CellGreen(0, 128, 0);    // score sheet cells
inline const QColor Black(0, 0, 0);          // totals
inline const QColor LightGreen(143, 245, 5); // status line, the phase being played
inline const QColor Silver(192, 192, 192);   // phases already made

// The board's text is Arial at a size in pixels.
using windowstyle::arial;

} // namespace boardstyle
