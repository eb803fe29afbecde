// The download window's picture: its size, and that the committed JPEG and
// its resource entry are what the generator writes today.
#include "downloadpicture.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

const QString AssetsDir = QStringLiteral(DORVANE_TEST_DATA "/../../assets");

// Mean absolute channel difference over every pixel of two same-sized images.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row);
        const uchar *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 3; ++i)
            sum += std::abs(int(p[i]) - int(q[i]));
    }
    return sum / (double(x.width()) * x.height() * 3);
}

int largestDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row);
        const uchar *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 3; ++i)
            worst = std::max(worst, std::abs(int(p[i]) - int(q[i])));
    }
    return worst;
}

TEST(DownloadPicture, IsAnOpaquePictureOfItsSizeThatWritesSmall)
{
    const QImage picture = download::picture();
    EXPECT_EQ(picture.size(), download::Size);
    EXPECT_FALSE(picture.hasAlphaChannel());

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("download.jpg"));
    ASSERT_TRUE(download::save(path));
    EXPECT_GT(QFile(path).size(), 4 * 1024) << "a picture this size with texture cannot be that small";
    EXPECT_LT(QFile(path).size(), 60 * 1024);
}

// A changed painter without a regenerated file would ship the old picture.
// The comparison is with the picture as written and read back today, so JPEG
// losses cancel out and even a small change shows.
TEST(DownloadPicture, CommittedJpegAndResourceEntryMatchTheGenerator)
{
    QFile qrc(AssetsDir + QStringLiteral("/images.qrc"));
    ASSERT_TRUE(qrc.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(qrc.readAll()).contains(QLatin1String("alias=\"download.jpg\"")));
    if (!QImageReader::supportedImageFormats().contains("jpeg"))
        GTEST_SKIP() << "no Qt JPEG plug-in here";

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fresh = dir.filePath(QStringLiteral("download.jpg"));
    ASSERT_TRUE(download::save(fresh));
    const QImage expected = QImage(fresh, "jpeg");
    const QImage committed = QImage(AssetsDir + QStringLiteral("/images/download.jpg"), "jpeg");
    ASSERT_EQ(committed.size(), download::Size);
    ASSERT_EQ(expected.size(), download::Size);
    EXPECT_LT(meanDifference(committed, expected), 0.5);
    EXPECT_LT(largestDifference(committed, expected), 24);
}

} // namespace
