// JpegImage: turns JPEG bytes into a QImage with libjpeg, safely.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

// Decoding never ends the process and never reads or writes outside its
// buffers: any fault in the data (truncation, corrupt markers, damaged
// entropy data that libjpeg notices, an absurd size) gives a null image and a
// one-line reason in *error. libjpeg lives in a module library opened by the first decode;
// when it cannot be opened, every decode gives a null image and a reason that says why.
class JpegImage
{
public:
    // Largest picture accepted, checked before any pixel memory is taken.
    static constexpr int MaxSide = 8192;
    static constexpr qint64 MaxPixels = 16 * 1024 * 1024;
    // Progressive pictures with more scans than this are refused: a picture
    // made of thousands of tiny scans costs minutes of work for nothing.
    static constexpr int MaxScans = 500;
    static constexpr const char *ModuleName = "dorvanejpeg";

    // Colour and grey pictures both come back as Format_RGB888; error is
    // cleared on success.
    static QImage decode(const QByteArray &jpegBytes, QString *error = nullptr);
    // The same with the decoder module looked for in moduleFolders.
    static QImage decode(const QByteArray &jpegBytes, const QStringList &moduleFolders, QString *error);

    // Reads a file or a resource (":/images/...") and decodes it.
    static QImage load(const QString &fileName, QString *error = nullptr);
};

// The decoder module's entry point: decodes jpegBytes into *image (null on failure) and
// sets *error as JpegImage::decode does.
using DecodeJpeg = void(const QByteArray &jpegBytes, QImage *image, QString *error);
inline constexpr const char *DecodeJpegSymbol = "dorvane_decode_jpeg";
