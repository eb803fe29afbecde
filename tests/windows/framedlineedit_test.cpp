// FramedLineEdit: white inside a 1 px black line, the typed text in the palette's text colour.
#include "framedlineedit.h"
#include "pixels.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(FramedLineEdit, WhiteFieldInABlackLineWithTheTextInItsColour)
{
    FramedLineEdit field(QStringLiteral("WWW www"));
    field.resize(120, 22);
    QPalette colours = field.palette();
    colours.setColor(QPalette::Text, QColor(200, 0, 0));
    field.setPalette(colours);
    const QImage image = field.grab().toImage();
    for (const QPoint &edge : {QPoint(0, 11), QPoint(119, 11), QPoint(60, 0), QPoint(60, 21)})
        EXPECT_EQ(image.pixelColor(edge), QColor(Qt::black)) << edge.x() << "," << edge.y();
    EXPECT_EQ(image.pixelColor(1, 11), QColor(Qt::white)) << "just inside the line";
    EXPECT_EQ(image.pixelColor(115, 11), QColor(Qt::white)) << "right of the text";
    EXPECT_TRUE(hasPixel(image, QColor(200, 0, 0))) << "the text in the chosen colour";
}

} // namespace
