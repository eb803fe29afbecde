// JpegImage: the decoder itself is the module library "dorvanejpeg" (libjpeg), opened by the
// first picture decoded, so a start that draws no JPEG picture never maps libjpeg.
#include "jpegimage.h"

#include "modulelibrary.h"

#include <QFile>

QImage JpegImage::decode(const QByteArray &jpegBytes, QString *error)
{
    return decode(jpegBytes, ModuleLibrary::defaultFolders(), error);
}

QImage JpegImage::decode(const QByteArray &jpegBytes, const QStringList &moduleFolders, QString *error)
{
    // A module once opened stays loaded, so opening it again per picture costs little.
    ModuleLibrary module(QString::fromLatin1(ModuleName), moduleFolders);
    auto *decoder = module.entry<DecodeJpeg>(DecodeJpegSymbol);
    if (!decoder) {
        if (error)
            *error = QStringLiteral("The JPEG decoder is not available: %1").arg(module.errorString());
        return {};
    }
    QImage image;
    QString reason;
    decoder(jpegBytes, &image, &reason);
    if (error)
        *error = reason;
    return image;
}

QImage JpegImage::load(const QString &fileName, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot open %1: %2").arg(fileName, file.errorString());
        return {};
    }
    return decode(file.readAll(), error);
}
