#include "pngpicture.h"

#include <QImageReader>

QPixmap loadPngPicture(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false); // only the named format's reader, never the plug-ins
    return QPixmap::fromImage(reader.read());
}
