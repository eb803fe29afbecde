// The list of every picture the board loads: resource name, logical size and
// how to draw it.
#pragma once

#include "canvas.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

namespace catalogue {

struct Picture
{
    QString name; // path below the images folder without ".png", e.g. "dice/face3"
    QSize size;   // logical size (the @2x file is twice as large)
    art::DrawFn draw;
    bool withDouble = true; // false for icon sizes that are themselves a size set
};

std::vector<Picture> pictures();

// Renders one picture at the given scale.
QImage renderPicture(const Picture &picture, int scale);

// The example strip dice of phase p (1..10), written as value and colour
// letter (y gold, b blue, g green, m magenta; W for wild) with "|" between groups.
QString exampleDice(int phase);

} // namespace catalogue
