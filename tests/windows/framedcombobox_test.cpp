// FramedComboBox: white inside a 1 px black line, its editor inside the border, its drop-down
// button at the right.
#include "framedcombobox.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

TEST(FramedComboBox, TheEditorStaysBetweenTheBorderAndTheDropDown)
{
    FramedComboBox combo;
    combo.addItems({QStringLiteral("192.168.1.20"), QStringLiteral("example.org")});
    combo.resize(316, 22);
    combo.show();
    const QRect expected(3, 1, 294, 20);
    EXPECT_EQ(combo.lineEdit()->geometry(), expected) << "two pixels in from the border";
    EXPECT_EQ(combo.dropDownRect(), QRect(299, 1, 16, 20));
    // The toolkit places the editor again on a font or style change.
    QFont larger = combo.font();
    larger.setPixelSize(18);
    combo.setFont(larger);
    QApplication::processEvents();
    EXPECT_EQ(combo.lineEdit()->geometry(), expected) << "after a font change";
    combo.resize(200, 30);
    EXPECT_EQ(combo.lineEdit()->geometry(), QRect(3, 1, 178, 28)) << "after a resize";
}

TEST(FramedComboBox, WhiteInABlackLineWithARaisedDropDown)
{
    FramedComboBox combo;
    combo.resize(316, 22);
    const QImage image = combo.grab().toImage();
    for (const QPoint &edge : {QPoint(0, 11), QPoint(315, 11), QPoint(100, 0), QPoint(100, 21)})
        EXPECT_EQ(image.pixelColor(edge), QColor(Qt::black)) << edge.x() << "," << edge.y();
    EXPECT_EQ(image.pixelColor(1, 11), QColor(Qt::white)) << "just inside the line";
    EXPECT_EQ(image.pixelColor(314, 11), QColor(85, 85, 85)) << "the button's outer shade";
    EXPECT_EQ(image.pixelColor(313, 11), QColor(170, 170, 170)) << "the button's inner shade";
    EXPECT_EQ(image.pixelColor(306, 20), QColor(85, 85, 85)) << "the shade under the button";
    const QColor arrow = image.pixelColor(306, 11);
    EXPECT_LT(arrow.lightness(), 128) << "the arrow in the middle of the button";
}

} // namespace
