// IniFile: case-insensitive lookup, defaults, and writes that keep the rest of the file.
#include "inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    QString path() const { return dir.filePath(QStringLiteral("vornlobby.ini")); }
    void writeFile(const QByteArray &content)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QByteArray readFile() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
};

const QByteArray Shared = "; shared by the lobby programs\n"
                          "[Other]\n"
                          "Botspeed=42\n"
                          "\n"
                          "[DORVANE]\n"
                          "textSize = 12\n"
                          "Botspeed=500\n"
                          "Empty=\n"
                          "\n"
                          "[Third]\n"
                          "Key=Value\n";

TEST_F(IniFileTest, ReadsSectionsAndKeysWithoutRegardToCase)
{
    writeFile(Shared);
    IniFile ini(path());
    const struct { const char *section, *key, *def, *expected; } cases[] = {
        {"Dorvane", "Textsize", "8", "12"},  {"dorvane", "BOTSPEED", "", "500"},
        {"Other", "botspeed", "", "42"},     {"Dorvane", "Missing", "dflt", "dflt"},
        {"Nowhere", "Key", "dflt", "dflt"},  {"Dorvane", "Empty", "dflt", ""},
        {"third", "key", "", "Value"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ini.readString(c.section, c.key, c.def), QString::fromLatin1(c.expected))
            << c.section << "/" << c.key;
    EXPECT_EQ(ini.readInteger("Dorvane", "Textsize", 8), 12);
    EXPECT_EQ(ini.readInteger("Third", "Key", 8), 8) << "not an integer";
    EXPECT_EQ(ini.readInteger("Dorvane", "Empty", 3), 3);
}

TEST_F(IniFileTest, MissingFileReadsDefaultsAndIsCreatedOnWrite)
{
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Dorvane", "Botspeed", "none"), QStringLiteral("none"));
    ASSERT_TRUE(ini.writeString("Dorvane", "Botspeed", "1000"));
    EXPECT_EQ(readFile(), QByteArray("[Dorvane]\nBotspeed=1000\n"));
}

TEST_F(IniFileTest, WritingOneKeyKeepsEverythingElse)
{
    writeFile(Shared);
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("Dorvane", "BotSpeed", "2000"));
    QByteArray expected = Shared;
    expected.replace("Botspeed=500", "BotSpeed=2000");
    EXPECT_EQ(readFile(), expected);

    ASSERT_TRUE(ini.writeString("dorvane", "Turnsound", "1"));
    expected.replace("Empty=\n", "Empty=\nTurnsound=1\n");
    EXPECT_EQ(readFile(), expected) << "a new key joins the end of its section";

    ASSERT_TRUE(ini.writeString("Fresh", "A", "b"));
    EXPECT_EQ(readFile(), expected + "\n[Fresh]\nA=b\n");
}

TEST_F(IniFileTest, KeepsWindowsLineEndings)
{
    writeFile("[Dorvane]\r\nTop=3\r\nLeft=3\r\n");
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("Dorvane", "Left", "40"));
    EXPECT_EQ(readFile(), QByteArray("[Dorvane]\r\nTop=3\r\nLeft=40\r\n"));
}

TEST_F(IniFileTest, WriteIntoAMissingFolderFails)
{
    IniFile ini(dir.filePath(QStringLiteral("no-such-folder/vornlobby.ini")));
    EXPECT_FALSE(ini.writeString("Dorvane", "Top", "3"));
}

} // namespace
