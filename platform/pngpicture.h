// Loading the program's own PNG pictures from its resources.
#pragma once

#include <QPixmap>
#include <QString>

// Decodes the PNG picture at path (a resource such as ":/images/wood.png") with Qt's
// built-in PNG reader. QPixmap's own loader first asks every image format plug-in
// installed whether it can read the file, which loads them all (GIF, ICO, JPEG, SVG and
// the SVG library) into a program that reads nothing but PNG. A null pixmap when the
// picture is missing or damaged.
QPixmap loadPngPicture(const QString &path);
