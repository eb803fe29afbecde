// Loading the program's own PNG pictures from its resources.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// Decodes the PNG picture at path (a resource such as ":/images/wood.png") with Qt's
// built-in PNG reader. QPixmap's own loader first asks every image format plug-in
// installed whether it can read the file, which loads them all (GIF, ICO, JPEG, SVG and
// the SVG library) into a program that reads nothing but PNG. A null pixmap when the
// picture is missing or damaged. A picture is decoded once: later loads of the same path
// share the first one's pixels (through the pixmap cache) instead of holding a copy each;
// devicePixelRatio is set before it is shared (setting it later would copy the pixels).
QPixmap loadPngPicture(const QString &path, qreal devicePixelRatio = 1.0);

// The same picture as an image in the form the file stores it: a palette picture stays
// at one byte a pixel (drawn through its palette) instead of the pixmap's four. Not
// shared: the caller keeps what it needs. A null image when missing or damaged.
QImage loadPngImage(const QString &path);

// Shares decoded, the picture read from path, as loadPngPicture would have.
QPixmap sharePngPicture(const QString &path, QImage decoded, qreal devicePixelRatio = 1.0);
