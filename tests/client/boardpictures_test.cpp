// The board's pictures in memory: decoded once and shared wherever they are shown, and a
// palette picture (the felt) kept at one byte a pixel yet drawn exactly as before.
#include "boardpictures.h"
#include "picturebox.h"
#include "pngpicture.h"

#include <QPainter>
#include <QPixmapCache>
#include <gtest/gtest.h>

namespace {

// What a box of this size shows of picture, drawn the way boxes drew it from a pixmap.
QImage drawnFromPixmap(const QString &picture, const QSize &size, bool stretch)
{
    QImage expected(size, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    QPainter painter(&expected);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap pixmap = boardpictures::load(picture);
    if (stretch)
        painter.drawPixmap(QRect(QPoint(), size), pixmap);
    else
        painter.drawPixmap(0, 0, pixmap);
    return expected;
}

QImage shownBy(const QString &picture, const QSize &size, bool stretch)
{
    PictureBox box(QStringLiteral("box"), QRect(QPoint(), size), nullptr);
    box.setStretch(stretch);
    box.setPicture(picture);
    return box.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

TEST(BoardPictures, APictureIsDecodedOnceWhereverItIsShown)
{
    QPixmapCache::clear();
    // The board's wood and the download window's (loaded by its resource path) are one.
    const QPixmap board = boardpictures::load(QStringLiteral("wood"));
    const QPixmap download = loadPngPicture(QStringLiteral(":/images/wood.png"));
    ASSERT_FALSE(board.isNull());
    EXPECT_EQ(board.cacheKey(), download.cacheKey());

    // Layers of many boxes (ten dice) use the shared pixels, not a copy each.
    const QImage first = boardpictures::layer(QStringLiteral("dice/face3"));
    const QImage second = boardpictures::layer(QStringLiteral("dice/face3"));
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.constBits(), second.constBits());
    EXPECT_EQ(first.constBits(), boardpictures::load(QStringLiteral("dice/face3")).toImage().constBits());
}

TEST(BoardPictures, TheFeltKeepsOneByteAPixelAndIsDrawnAsBefore)
{
    QPixmapCache::clear();
    const QImage felt = boardpictures::layer(QStringLiteral("felt"));
    ASSERT_EQ(felt.format(), QImage::Format_Indexed8);
    EXPECT_LE(felt.sizeInBytes(), qsizetype(felt.bytesPerLine()) * felt.height());
    EXPECT_LT(felt.bytesPerLine(), felt.width() + 4);

    // Stretched over the dice tray and the chat panel, and at its own size.
    const struct
    {
        QSize size;
        bool stretch;
    } boxes[] = {{QSize(682, 129), true}, {QSize(169, 193), true}, {felt.size(), false}};
    for (const auto &b : boxes) {
        const QImage shown = shownBy(QStringLiteral("felt"), b.size, b.stretch);
        const QImage expected = drawnFromPixmap(QStringLiteral("felt"), b.size, b.stretch);
        ASSERT_EQ(shown.size(), expected.size());
        int worst = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb s = shown.pixel(x, y);
                const QRgb e = expected.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(s) - qRed(e)), std::abs(qGreen(s) - qGreen(e)),
                                  std::abs(qBlue(s) - qBlue(e)), std::abs(qAlpha(s) - qAlpha(e))});
            }
        }
        EXPECT_LE(worst, 1) << b.size.width() << "x" << b.size.height();
    }
}

TEST(BoardPictures, LayersAreDrawnInOrderOverEachOther)
{
    // A die: body, face and keep frame, as the tray draws it.
    PictureBox box(QStringLiteral("die"), QRect(0, 0, 48, 48), nullptr);
    box.drawPicture(boardpictures::dieBody(2));
    box.drawPicture(boardpictures::dieFace(7));
    box.drawPicture(boardpictures::keepFrame());
    const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);

    QImage expected(48, 48, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    QPainter painter(&expected);
    for (const QString &name : {boardpictures::dieBody(2), boardpictures::dieFace(7), boardpictures::keepFrame()})
        painter.drawPixmap(0, 0, boardpictures::load(name));
    painter.end();
    EXPECT_EQ(shown, expected);
}
