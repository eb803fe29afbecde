#include "boardpictures.h"

#include "pngpicture.h"

#include <QFile>
#include <QGuiApplication>
#include <QPixmapCache>

namespace boardpictures {

namespace {

// The resource of a picture: its "@2x" twin on a high-density screen when there is one.
QString resourcePath(const QString &name, bool *hiDpi)
{
    const qreal dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const QString base = QStringLiteral(":/images/") + name;
    *hiDpi = dpr > 1.0 && QFile::exists(base + QStringLiteral("@2x.png"));
    return *hiDpi ? base + QStringLiteral("@2x.png") : base + QStringLiteral(".png");
}

} // namespace

QPixmap load(const QString &name)
{
    bool hiDpi = false;
    const QString path = resourcePath(name, &hiDpi);
    return loadPngPicture(path, hiDpi ? 2.0 : 1.0); // shared through the pixmap cache
}

QImage layer(const QString &name)
{
    bool hiDpi = false;
    const QString path = resourcePath(name, &hiDpi);
    const qreal ratio = hiDpi ? 2.0 : 1.0;
    QPixmap shared;
    if (QPixmapCache::find(path, &shared))
        return shared.toImage(); // the cached pixels themselves, not a copy
    QImage image = loadPngImage(path);
    if (image.format() != QImage::Format_Indexed8)
        return sharePngPicture(path, std::move(image), ratio).toImage(); // shared by every box
    image.setDevicePixelRatio(ratio);
    return image;
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
