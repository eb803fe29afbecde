#include "pngpicture.h"

#include <QImageReader>
#include <QPixmapCache>

QImage loadPngImage(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false); // only the named format's reader, never the plug-ins
    return reader.read();
}

QPixmap loadPngPicture(const QString &path, qreal devicePixelRatio)
{
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    return sharePngPicture(path, loadPngImage(path), devicePixelRatio);
}

QPixmap sharePngPicture(const QString &path, QImage decoded, qreal devicePixelRatio)
{
    QPixmap pixmap = QPixmap::fromImage(std::move(decoded));
    if (!pixmap.isNull()) {
        pixmap.setDevicePixelRatio(devicePixelRatio);
        QPixmapCache::insert(path, pixmap);
    }
    return pixmap;
}
