// The picture of the lobby download window: dice on a felt table framed in
// wood, players chatting beside them, and an invitation to play online. It is
// the one photo-like picture of the program and ships as a JPEG.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

class QPainter;

namespace download {

// Fits the picture area at the top of the window's left panel.
inline constexpr QSize Size{340, 180};
inline constexpr int JpegQuality = 88;

// Draws the picture in logical units from (0, 0).
void draw(QPainter &p, int scale);

// The picture at 1x, opaque, as it is written.
QImage picture();

// Writes the picture as a JPEG; on failure tells why on stderr.
bool save(const QString &path);

} // namespace download
