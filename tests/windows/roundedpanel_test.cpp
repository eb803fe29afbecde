// RoundedPanel: a layout inside it starts inside the border; the border and fill are drawn.
#include "roundedpanel.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(RoundedPanel, ContentsStartInsideTheBorderWhichIsDrawnAroundTheFill)
{
    for (int border : {1, 2}) {
        RoundedPanel panel(QColor(250, 247, 232), QColor(70, 40, 14), border, 8);
        panel.resize(60, 40);
        EXPECT_EQ(panel.contentsRect(), QRect(border, border, 60 - 2 * border, 40 - 2 * border)) << border;
        const QImage image = panel.grab().toImage();
        EXPECT_EQ(image.pixelColor(border - 1, 20), QColor(70, 40, 14)) << border;
        EXPECT_EQ(image.pixelColor(30, 40 - border), QColor(70, 40, 14)) << border;
        EXPECT_EQ(image.pixelColor(border, 20), QColor(250, 247, 232)) << border;
        EXPECT_EQ(image.pixelColor(30, 20), QColor(250, 247, 232)) << border;
    }
}

} // namespace
