// Colour text: names, "$" hex and decimal, both ways.
#include "colortext.h"

#include <gtest/gtest.h>

namespace {

TEST(ColorText, BasicColoursRoundTripByName)
{
    const char *const names[] = {"clBlack", "clMaroon",  "clGreen",  "clOlive", "clNavy", "clPurple",
                                 "clTeal",  "clGray",    "clSilver", "clRed",   "clLime", "clYellow",
                                 "clBlue",  "clFuchsia", "clAqua",   "clWhite"};
    for (const char *name : names) {
        const auto color = colortext::read(QString::fromLatin1(name));
        ASSERT_TRUE(color) << name;
        EXPECT_EQ(colortext::write(*color), QString::fromLatin1(name));
    }
}

TEST(ColorText, ReadsNamesInAnyCaseHexAndDecimal)
{
    struct Case
    {
        const char *text;
        QColor color;
    };
    const Case cases[] = {
        {"CLBLUE", QColor(0, 0, 255)},   {"clblack", QColor(0, 0, 0)},
        {"ClTeAl", QColor(0, 128, 128)}, {"$004080FF", QColor(255, 128, 64)},
        {"$ff", QColor(255, 0, 0)},      {"16711680", QColor(0, 0, 255)},
        {"0", QColor(0, 0, 0)},          {"$00C0C0C0", QColor(192, 192, 192)},
    };
    for (const Case &c : cases) {
        const auto color = colortext::read(QString::fromLatin1(c.text));
        ASSERT_TRUE(color) << c.text;
        EXPECT_EQ(*color, c.color) << c.text;
    }
}

TEST(ColorText, WritesOtherColoursAsEightHexDigits)
{
    EXPECT_EQ(colortext::write(QColor(255, 128, 64)), QStringLiteral("$004080FF"));
    EXPECT_EQ(colortext::write(QColor(1, 2, 3)), QStringLiteral("$00030201"));
    const QColor odd(17, 200, 99);
    EXPECT_EQ(colortext::read(colortext::write(odd)), odd);
}

TEST(ColorText, InvalidTextIsNoColourAndFallsBack)
{
    for (const char *text : {"", "blue", "clBlu", "$", "$12G4", "$-1", "-5", " 12", "12 ", "$1FFFFFFFF", "0x10"})
        EXPECT_FALSE(colortext::read(QString::fromLatin1(text))) << text;
    EXPECT_EQ(colortext::readOr(QStringLiteral("nonsense"), Qt::red), QColor(Qt::red));
}

} // namespace
