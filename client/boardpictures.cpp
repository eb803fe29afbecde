#include "boardpictures.h"

#include "pngpicture.h"

#include <QFile>
#include <QGuiApplication>
#include <QPixmapCache>

namespace boardpictures {

namespace {

// The resource of a picture: its "@2x" twin when drawn at more than one device pixel a
// board pixel and there is one.
QString resourcePath(const QString &name, qreal density, bool *hiDpi)
{
    const QString base = QStringLiteral(":/images/") + name;
    *hiDpi = density > 1.0 && QFile::exists(base + QStringLiteral("@2x.png"));
    return *hiDpi ? base + QStringLiteral("@2x.png") : base + QStringLiteral(".png");
}

qreal screenDensity()
{
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

} // namespace

QPixmap load(const QString &name)
{
    return load(name, screenDensity());
}

QPixmap load(const QString &name, qreal density)
{
    bool hiDpi = false;
    const QString path = resourcePath(name, density, &hiDpi);
    return loadPngPicture(path, hiDpi ? 2.0 : 1.0); // shared through the pixmap cache
}

QImage layer(const QString &name)
{
    return layer(name, screenDensity());
}

QImage layer(const QString &name, qreal density)
{
    bool hiDpi = false;
    const QString path = resourcePath(name, density, &hiDpi);
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

QString dieSymbol(int color)
{
    return QStringLiteral("dice/symbol%1").arg(color);
}

QString keepFrame()
{
    return QStringLiteral("dice/keep");
}

QString rolls(int used)
{
    return QStringLiteral("rolls%1").arg(used);
}

QString example(int phase, bool symbols)
{
    // The plain felt (phase 0) has no dice to mark.
    return symbols && phase > 0 ? QStringLiteral("examples%1s").arg(phase)
                                : QStringLiteral("examples%1").arg(phase);
}

qreal pictureDensity(qreal density)
{
    return density > 1.0 ? 2.0 : 1.0;
}

} // namespace boardpictures
