// JpegImage: pictures made here with libjpeg come back with their size and
// colours; damaged or hostile data gives a null image and a reason, and the
// process goes on.
#include "jpegimage.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

#include <jpeglib.h>

namespace {

const QString DownloadPicture = QStringLiteral(DORVANE_TEST_DATA "/../../assets/images/download.jpg");
constexpr QSize DownloadPictureSize(340, 180);

struct Encoding
{
    bool progressive = false;
    std::vector<jpeg_scan_info> script; // own scan script; empty for the library's
};

// Encodes an RGB888 or Grayscale8 image at quality 92; RGBA8888 bytes are
// taken for CMYK.
QByteArray encode(const QImage &image, const Encoding &how = {})
{
    const bool grey = image.format() == QImage::Format_Grayscale8;
    const bool cmyk = image.format() == QImage::Format_RGBA8888;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = grey ? 1 : cmyk ? 4 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    if (how.progressive)
        jpeg_simple_progression(&info);
    if (!how.script.empty()) {
        info.scan_info = how.script.data();
        info.num_scans = int(how.script.size());
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uchar *>(image.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    jpeg_destroy_compress(&info);
    return bytes;
}

const QColor Quadrants[4] = {{200, 30, 30}, {30, 160, 60}, {40, 50, 210}, {245, 240, 230}};

// 64 x 48, four flat quadrants: top left, top right, bottom left, bottom right.
QImage quadrantImage()
{
    QImage image(64, 48, QImage::Format_RGB888);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixelColor(x, y, Quadrants[(y >= 24) * 2 + (x >= 32)]);
    return image;
}

int colourDistance(const QColor &a, const QColor &b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

TEST(JpegImage, ColourPicturesComeBackWithTheirSizeAndColours)
{
    const struct
    {
        const char *name;
        Encoding how;
    } cases[] = {{"baseline", {}}, {"progressive", {true, {}}}};
    for (const auto &c : cases) {
        QString error = QStringLiteral("stale");
        const QImage image = JpegImage::decode(encode(quadrantImage(), c.how), &error);
        ASSERT_FALSE(image.isNull()) << c.name << ": " << error.toStdString();
        EXPECT_TRUE(error.isEmpty()) << c.name << ": the error of an earlier call is cleared";
        EXPECT_EQ(image.format(), QImage::Format_RGB888) << c.name;
        EXPECT_EQ(image.size(), QSize(64, 48)) << c.name;
        const QPoint centres[4] = {{16, 12}, {48, 12}, {16, 36}, {48, 36}};
        for (int q = 0; q < 4; ++q)
            EXPECT_LE(colourDistance(image.pixelColor(centres[q]), Quadrants[q]), 8)
                << c.name << " quadrant " << q;
    }
}

TEST(JpegImage, GreyPicturesComeBackAsGreyRgb)
{
    QImage grey(40, 16, QImage::Format_Grayscale8);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 40; ++x)
            grey.scanLine(y)[x] = x < 16 ? 40 : 210;
    const QImage image = JpegImage::decode(encode(grey));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_EQ(image.size(), QSize(40, 16));
    const struct
    {
        QPoint at;
        int level;
    } probes[] = {{{4, 8}, 40}, {{32, 8}, 210}};
    for (const auto &probe : probes) {
        const QColor c = image.pixelColor(probe.at);
        EXPECT_EQ(c.red(), c.green());
        EXPECT_EQ(c.green(), c.blue());
        EXPECT_LE(std::abs(c.red() - probe.level), 4) << "at x " << probe.at.x();
    }
}

QByteArray withSize(QByteArray jpeg, int width, int height)
{
    // Start of frame: FF C0, length (2), precision (1), height (2), width (2).
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        return {};
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

QByteArray randomBytes(int count)
{
    QRandomGenerator random(7772);
    QByteArray bytes(count, '\0');
    for (char &b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

TEST(JpegImage, DamagedOrHostileDataGivesANullImageAndAReason)
{
    const QByteArray good = encode(quadrantImage());
    ASSERT_FALSE(JpegImage::decode(good).isNull());
    const qsizetype scanStart = good.indexOf(QByteArray("\xFF\xDA", 2));
    ASSERT_GT(scanStart, 0);
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"empty", {}},
        {"text", QByteArray("this is not a picture")},
        {"random bytes", randomBytes(4096)},
        {"start marker then random bytes", QByteArray("\xFF\xD8", 2) + randomBytes(4096)},
        {"cut after the start marker", good.left(2)},
        {"cut inside the headers", good.left(scanStart / 2)},
        {"cut at the first scan", good.left(scanStart)},
        {"cut in the middle of the scan", good.left((scanStart + good.size()) / 2)},
        {"missing end marker and last bytes", good.left(good.size() - 6)},
        {"zero height", withSize(good, 64, 0)},
        {"absurd size", withSize(good, 60000, 60000)},
        {"too many pixels", withSize(good, 8000, 8000)},
    };
    for (const auto &c : cases) {
        QString error;
        const QImage image = JpegImage::decode(c.bytes, &error);
        EXPECT_TRUE(image.isNull()) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
    QString error;
    JpegImage::decode(withSize(good, 60000, 60000), &error);
    EXPECT_TRUE(error.contains(QLatin1String("60000 x 60000"))) << error.toStdString();
}

TEST(JpegImage, RefusesFourColourPictures)
{
    QImage cmyk(16, 16, QImage::Format_RGBA8888);
    cmyk.fill(QColor(10, 200, 30, 0));
    QString error;
    EXPECT_TRUE(JpegImage::decode(encode(cmyk), &error).isNull());
    EXPECT_TRUE(error.contains(QLatin1String("colour space"))) << error.toStdString();
}

// A valid progressive grey picture of one DC scan and, for every AC
// coefficient, a first scan at bit 9 and refinements down to bit 0.
std::vector<jpeg_scan_info> manyScans()
{
    std::vector<jpeg_scan_info> script;
    script.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
    for (int k = 1; k <= 63; ++k) {
        script.push_back({1, {0, 0, 0, 0}, k, k, 0, 9});
        for (int bit = 9; bit >= 1; --bit)
            script.push_back({1, {0, 0, 0, 0}, k, k, bit, bit - 1});
    }
    return script;
}

TEST(JpegImage, RefusesPicturesWithTooManyScans)
{
    QImage grey(16, 16, QImage::Format_Grayscale8);
    grey.fill(128);
    Encoding how;
    how.script = manyScans();
    ASSERT_GT(int(how.script.size()), JpegImage::MaxScans);
    QString error;
    EXPECT_TRUE(JpegImage::decode(encode(grey, how), &error).isNull());
    EXPECT_TRUE(error.contains(QLatin1String("scans"))) << error.toStdString();

    how.script.resize(JpegImage::MaxScans - 10); // still a valid order of scans
    EXPECT_FALSE(JpegImage::decode(encode(grey, how), &error).isNull()) << error.toStdString();
}

TEST(JpegImage, LoadNamesAFileItCannotOpen)
{
    QString error;
    EXPECT_TRUE(JpegImage::load(QStringLiteral("/nonexistent/picture.jpg"), &error).isNull());
    EXPECT_TRUE(error.contains(QLatin1String("/nonexistent/picture.jpg"))) << error.toStdString();
}

// Without its decoder module a picture is simply not shown: a null image and a reason.
TEST(JpegImage, MissingDecoderModuleGivesANullImageAndAReason)
{
    QFile file(DownloadPicture);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << DownloadPicture.toStdString();
    QString error;
    EXPECT_TRUE(JpegImage::decode(file.readAll(), {QStringLiteral("/nonexistent/modules")}, &error).isNull());
    EXPECT_TRUE(
        error.startsWith(QStringLiteral("The JPEG decoder is not available: libdorvanejpeg.so was not found")))
        << error.toStdString();
}

// The committed download picture decodes at its size, small enough to ship,
// and agrees with Qt's own reader where that reader is installed.
TEST(JpegImage, DecodesTheDownloadPicture)
{
    QFile file(DownloadPicture);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << DownloadPicture.toStdString();
    const QByteArray bytes = file.readAll();
    EXPECT_LT(bytes.size(), 60 * 1024);
    QString error;
    const QImage image = JpegImage::decode(bytes, &error);
    ASSERT_FALSE(image.isNull()) << error.toStdString();
    EXPECT_EQ(image.size(), DownloadPictureSize);

    QImageReader reader(DownloadPicture, "jpeg");
    const QImage reference = reader.read();
    if (reference.isNull())
        GTEST_SKIP() << "no Qt JPEG reader to compare with";
    const QImage theirs = reference.convertToFormat(QImage::Format_RGB888);
    int worst = 0;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 5)
            worst = std::max(worst, colourDistance(image.pixelColor(x, y), theirs.pixelColor(x, y)));
    EXPECT_LE(worst, 6);
}

} // namespace
