// Looks for drawn colours in grabbed widgets.
#pragma once

#include <QColor>
#include <QImage>

// The first row of image with a pixel exactly in colour, or -1.
inline int firstRowWith(const QImage &image, const QColor &colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return y;
    return -1;
}

inline bool hasPixel(const QImage &image, const QColor &colour)
{
    return firstRowWith(image, colour) >= 0;
}
