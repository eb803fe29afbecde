#include "boardpictures.h"

#include "pngpicture.h"

#include <QFile>
#include <QGuiApplication>
#include <QPixmapCache>

namespace boardpictures {

QPixmap load(const QString &name)
{
    const qreal dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const QString base = QStringLiteral(":/images/") + name;
    const bool hiDpi = dpr > 1.0 && QFile::exists(base + QStringLiteral("@2x.png"));
    const QString path = hiDpi ? base + QStringLiteral("@2x.png") : base + QStringLiteral(".png");
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    pixmap = loadPngPicture(path);
    if (pixmap.isNull())
        return QPixmap();
    pixmap.setDevicePixelRatio(hiDpi ? 2.0 : 1.0);
    QPixmapCache::insert(path, pixmap);
    return pixmap;
}

QString dieBody(int color)
{
    return QStringLiteral("dice/body%1").arg(color);
}

QString dieFace(int value)
{
    return QStringLiteral("dice/face%1").arg(value);
}

QString keepFrame()
{
    return QStringLiteral("dice/keep");
}

QString rolls(int used)
{
    return QStringLiteral("rolls%1").arg(used);
}

QString example(int phase)
{
    return QStringLiteral("examples%1").arg(phase);
}

} // namespace boardpictures
