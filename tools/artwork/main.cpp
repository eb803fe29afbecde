// dorvane-artwork: draws every picture of the board into a folder, at 1x and @2x,
// and the download window's picture as download.jpg.
//
// Regenerate the committed pictures and their resource file from the repository root with
//     build/tools/artwork/dorvane-artwork assets/images --qrc assets/images.qrc
// (which writes assets/images2x.qrc for the @2x pictures too)
// Previews for judging the result:
//     dorvane-artwork --sheet sheet.png      every picture on one sheet
//     dorvane-artwork --board board.png      the board as a game shows it (board@2x.png too)
#include "catalogue.h"
#include "downloadpicture.h"
#include "preview.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSet>
#include <QTextStream>
#include <algorithm>

namespace {

bool isOpaque(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 255)
                return false;
    return true;
}

// The colours of an opaque picture if there are at most 256 of them, else empty.
QList<QRgb> exactPalette(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
            if (colours.size() > 256)
                return {};
        }
    QList<QRgb> palette(colours.begin(), colours.end());
    std::sort(palette.begin(), palette.end());
    return palette;
}

// Opaque pictures lose their alpha channel and, when they have few colours,
// become palette pictures with the exact same pixels: the textures shrink a lot.
QImage compact(const QImage &image)
{
    if (!isOpaque(image))
        return image;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QList<QRgb> palette = exactPalette(rgb);
    if (palette.isEmpty())
        return rgb.convertToFormat(QImage::Format_RGB888);
    return rgb.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither | Qt::AvoidDither);
}

bool save(const QImage &image, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QImage out = compact(image);
    QImageWriter writer(path, "png");
    writer.setQuality(0); // the PNG writer maps quality 0 to the strongest compression
    if (!writer.write(out)) {
        QTextStream(stderr) << "cannot write " << path << ": " << writer.errorString() << '\n';
        return false;
    }
    return true;
}

// The file names of one picture: the 1x file and, when it has one, the @2x file.
QStringList fileNames(const catalogue::Picture &picture)
{
    QStringList names{picture.name + QStringLiteral(".png")};
    if (picture.withDouble)
        names << picture.name + QStringLiteral("@2x.png");
    return names;
}

bool writeAll(const QString &folder)
{
    int count = 0;
    for (const catalogue::Picture &picture : catalogue::pictures()) {
        const QStringList names = fileNames(picture);
        for (int i = 0; i < names.size(); ++i) {
            if (!save(catalogue::renderPicture(picture, i + 1), folder + QLatin1Char('/') + names[i]))
                return false;
            ++count;
        }
    }
    if (!download::save(folder + QStringLiteral("/download.jpg")))
        return false;
    ++count;
    QTextStream(stdout) << "wrote " << count << " pictures to " << folder << '\n';
    return true;
}

// Writes the resource files that compile the pictures in under the prefix /images; folder
// is the pictures' path relative to them. The @2x pictures go to a second file beside the
// first (NAME2x.qrc), so each scale lies together in the program: a screen of one scale
// never pages in the other's pictures with the ones it reads.
bool writeQrc(const QString &qrcPath, const QString &folder)
{
    const QFileInfo info(qrcPath);
    const QString doublePath = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("2x.qrc");
    QFile file(qrcPath);
    QFile doubleFile(doublePath);
    for (QFile *f : {&file, &doubleFile}) {
        if (!f->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            QTextStream(stderr) << "cannot write " << f->fileName() << '\n';
            return false;
        }
    }
    QTextStream out(&file);
    QTextStream doubleOut(&doubleFile);
    for (QTextStream *o : {&out, &doubleOut})
        *o << "<!DOCTYPE RCC>\n<!-- Written by dorvane-artwork; regenerate rather than edit. -->\n"
           << "<RCC version=\"1.0\">\n<qresource prefix=\"/images\">\n";
    for (const catalogue::Picture &picture : catalogue::pictures()) {
        for (const QString &name : fileNames(picture)) {
            QTextStream &o = name.contains(QLatin1String("@2x.")) ? doubleOut : out;
            o << "  <file alias=\"" << name << "\">" << folder << '/' << name << "</file>\n";
        }
    }
    out << "  <file alias=\"download.jpg\">" << folder << "/download.jpg</file>\n";
    for (QTextStream *o : {&out, &doubleOut})
        *o << "</qresource>\n</RCC>\n";
    return true;
}

QString doubleName(const QString &path)
{
    QFileInfo info(path);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("@2x.") + info.suffix();
}

int usage()
{
    QTextStream(stderr)
        << "usage: dorvane-artwork <folder> [--qrc <file.qrc>] | --sheet <file.png> | --board <file.png>\n";
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 1 && !args[0].startsWith(QLatin1String("--")))
        return writeAll(args[0]) ? 0 : 1;
    if (args.size() == 3 && args[1] == QLatin1String("--qrc")) {
        const QString relative =
            QFileInfo(args[2]).absoluteDir().relativeFilePath(QFileInfo(args[0]).absoluteFilePath());
        return writeAll(args[0]) && writeQrc(args[2], relative) ? 0 : 1;
    }
    if (args.size() == 2 && args[0] == QLatin1String("--sheet"))
        return save(preview::contactSheet(), args[1]) ? 0 : 1;
    if (args.size() == 2 && args[0] == QLatin1String("--board"))
        return save(preview::boardMockup(1), args[1]) && save(preview::boardMockup(2), doubleName(args[1])) ? 0
                                                                                                            : 1;
    return usage();
}
