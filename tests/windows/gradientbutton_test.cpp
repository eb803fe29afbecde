// GradientButton: its size around the text, and how each state is drawn.
#include "gradientbutton.h"
#include "pixels.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

bool near(const QColor &a, const QColor &b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
           && qAbs(a.blue() - b.blue()) <= tolerance;
}

TEST(GradientButton, SizeLeavesThePaddingAroundTheTextAndGrowsWithTheDefaultBorder)
{
    GradientButton button(QStringLiteral("Play Solo Game"));
    const int text = QFontMetrics(button.font()).size(Qt::TextShowMnemonic, button.text()).width();
    EXPECT_EQ(button.sizeHint(), QSize(text + 30, 32)) << "1 px border, 14 px padding, 30 px inside";
    button.setDefault(true);
    EXPECT_EQ(button.sizeHint(), QSize(text + 32, 34)) << "the default button's border is 2 px";
    button.setMinimumHeight(40);
    EXPECT_EQ(button.sizeHint().height(), 40) << "a minimum height is kept";
}

TEST(GradientButton, EachStateHasItsBorderFillAndTextColour)
{
    const QColor brown(70, 40, 14);
    const QColor text(60, 35, 12);
    struct Case
    {
        const char *name;
        bool isDefault;
        bool enabled;
        bool hovered;
        QColor border;
        int borderWidth;
        QColor fill; // in the padding, half way down
        QColor textColour;
    };
    const Case cases[] = {
        {"plain", false, true, false, brown, 1, QColor(238, 234, 205), text},
        {"default", true, true, false, QColor(16, 96, 30), 2, QColor(238, 234, 205), text},
        {"hovered", false, true, true, brown, 1, QColor(255, 255, 242), text},
        {"disabled", false, false, false, QColor(170, 160, 140), 1, QColor(236, 232, 216), QColor(150, 140, 120)},
        {"disabled and hovered", false, false, true, QColor(170, 160, 140), 1, QColor(236, 232, 216),
         QColor(150, 140, 120)},
    };
    for (const Case &c : cases) {
        GradientButton button(QStringLiteral("Stop Download"));
        button.setDefault(c.isDefault);
        button.setEnabled(c.enabled);
        button.setAttribute(Qt::WA_UnderMouse, c.hovered);
        button.resize(button.sizeHint());
        const QImage image = button.grab().toImage();
        const int middle = image.height() / 2;
        EXPECT_EQ(image.pixelColor(0, middle), c.border) << c.name;
        EXPECT_EQ(image.pixelColor(c.borderWidth - 1, middle), c.border) << c.name;
        const QColor inside = image.pixelColor(c.borderWidth + 3, middle);
        EXPECT_TRUE(near(inside, c.fill, 3)) << c.name << ": fill " << qPrintable(inside.name());
        EXPECT_GE(firstRowWith(image, c.textColour), 0) << c.name << ": text in its colour";
    }
}

TEST(GradientButton, TextColoursFollowTheEnabledState)
{
    GradientButton button(QStringLiteral("Download and Install the Lobby Now"));
    const QColor red(200, 0, 0);
    const QColor paleRed(180, 130, 120);
    button.setTextColors(red, paleRed);
    button.resize(button.sizeHint());
    EXPECT_GE(firstRowWith(button.grab().toImage(), red), 0);
    button.setEnabled(false);
    const QImage disabled = button.grab().toImage();
    EXPECT_GE(firstRowWith(disabled, paleRed), 0);
    EXPECT_EQ(firstRowWith(disabled, red), -1) << "no enabled colour left while disabled";
}

TEST(GradientButton, PressedTextSitsOnePixelLower)
{
    GradientButton button(QStringLiteral("Play with Others"));
    button.resize(button.sizeHint());
    const QColor text(60, 35, 12);
    const int up = firstRowWith(button.grab().toImage(), text);
    button.setDown(true);
    const int down = firstRowWith(button.grab().toImage(), text);
    ASSERT_GE(up, 0);
    EXPECT_EQ(down, up + 1);
}

TEST(GradientButton, FocusShowsOnlyAfterTheKeyboardMovedIt)
{
    QWidget window;
    auto *button = new GradientButton(QStringLiteral("Play with Others"), &window);
    button->resize(button->sizeHint());
    window.resize(button->size());
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    button->setFocus();
    ASSERT_TRUE(button->hasFocus());
    // The dotted ring runs 3 px inside the border, left of the text.
    const auto ringShows = [button] {
        const QImage image = button->grab().toImage();
        return hasPixel(image.copy(3, 0, 2, image.height()), QColor(60, 35, 12));
    };
    EXPECT_FALSE(ringShows()) << "focus from a click or from the program";
    window.setAttribute(Qt::WA_KeyboardFocusChange);
    EXPECT_TRUE(ringShows()) << "focus moved by the keyboard";
}

TEST(GradientButton, ACheckedButtonTakesItsCheckedLookAndIndentedTextSitsAtTheLeft)
{
    const GradientButton::Look green{{QColor(40, 140, 50), QColor(40, 140, 50)},
                                     {QColor(70, 165, 74), QColor(70, 165, 74)},
                                     QColor(10, 55, 16),
                                     Qt::white};
    const GradientButton::Look gold{{QColor(240, 200, 80), QColor(240, 200, 80)},
                                    {QColor(240, 200, 80), QColor(240, 200, 80)},
                                    QColor(110, 70, 10),
                                    QColor(60, 30, 5)};
    GradientButton button(QStringLiteral("Overview"));
    button.setCheckable(true);
    button.setLook(green);
    button.setCheckedLook(gold);
    button.setTextIndent(12);
    button.resize(160, 28);
    struct Case
    {
        const char *name;
        bool checked;
        const GradientButton::Look &look;
    };
    for (const Case &c : {Case{"unchecked", false, green}, Case{"checked", true, gold}}) {
        button.setChecked(c.checked);
        const QImage image = button.grab().toImage();
        EXPECT_EQ(image.pixelColor(0, 14), c.look.border) << c.name;
        EXPECT_EQ(image.pixelColor(4, 14), c.look.fill.top) << c.name;
        EXPECT_TRUE(hasPixel(image.copy(13, 0, 20, 28), c.look.text)) << c.name << ": text from the indent on";
        EXPECT_FALSE(hasPixel(image.copy(1, 0, 11, 28), c.look.text)) << c.name << ": nothing before the indent";
        EXPECT_FALSE(hasPixel(image.copy(100, 0, 59, 28), c.look.text)) << c.name << ": not centred";
    }
}

} // namespace
