// IniFile: case-insensitive lookup, defaults, and writes that keep the rest of the file.
#include "inifile.h"

#include <QCryptographicHash>
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
    const struct
    {
        const char *section, *key, *def, *expected;
    } cases[] = {
        {"Dorvane", "Textsize", "8", "12"}, {"dorvane", "BOTSPEED", "", "500"},
        {"Other", "botspeed", "", "42"},    {"Dorvane", "Missing", "dflt", "dflt"},
        {"Nowhere", "Key", "dflt", "dflt"}, {"Dorvane", "Empty", "dflt", ""},
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

TEST_F(IniFileTest, OwnValuesAreUtf8WhateverTheOtherSectionsHold)
{
    // Another program's section in Latin-1 (one byte 0xE9), ours in UTF-8.
    const QByteArray shared =
        "[Other]\nName=Jos\xE9\n\n[Dorvane]\nPhrase1=\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5"
        "\xD1\x82 \xE2\x82\xAC"
        "5\nPhrase2=Caf\xE9\n";
    writeFile(shared);
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Dorvane", "Phrase1"), QStringLiteral("Привет €5"));
    EXPECT_EQ(ini.readString("Dorvane", "Phrase2"), QStringLiteral("Café")) << "an older program's Latin-1 value";
    EXPECT_EQ(ini.readString("Other", "Name"), QStringLiteral("José"));

    ASSERT_TRUE(ini.writeString("Dorvane", "Phrase3", QStringLiteral("Grüße €")));
    EXPECT_EQ(readFile(), shared
                              + "Phrase3=Gr\xC3\xBC\xC3\x9F"
                                "e \xE2\x82\xAC\n")
        << "the Latin-1 line stays byte for byte, the new value is UTF-8";
    EXPECT_EQ(ini.readString("Dorvane", "Phrase3"), QStringLiteral("Grüße €"));
}

TEST_F(IniFileTest, LinesThatAreNotOursKeepTheirExactBytes)
{
    struct Case
    {
        const char *name;
        QByteArray before, after;
    };
    const Case cases[] = {
        {"mixed line endings", "[Other]\r\nA=1\r\n[Dorvane]\nTop=3\n", "[Other]\r\nA=1\r\n[Dorvane]\nTop=4\n"},
        {"no final line break", "[Dorvane]\nLeft=1\nTop=3", "[Dorvane]\nLeft=1\nTop=4"},
        {"new key after a last line without break", "[Dorvane]\nLeft=1", "[Dorvane]\nLeft=1\nTop=4\n"},
        {"byte-order mark and trailing blanks", "\xEF\xBB\xBF[Dorvane]  \nTop = 3\n;note \t\n",
         "\xEF\xBB\xBF[Dorvane]  \nTop=4\n;note \t\n"},
        {"a lone carriage return is no line break", "[Other]\nA=1\r2\n", "[Other]\nA=1\r2\n\n[Dorvane]\nTop=4\n"},
    };
    for (const Case &c : cases) {
        writeFile(c.before);
        IniFile ini(path());
        ASSERT_TRUE(ini.writeString("Dorvane", "Top", "4")) << c.name;
        EXPECT_EQ(readFile(), c.after) << c.name;
    }
}

TEST_F(IniFileTest, AValueNeverBreaksIntoSeveralLines)
{
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("Dorvane", "Phrase1", QStringLiteral("one\r\n[Other]\nTwo")));
    EXPECT_EQ(readFile(), QByteArray("[Dorvane]\nPhrase1=one  [Other] Two\n"));
}

TEST_F(IniFileTest, AFileTooLargeToBeSettingsIsLeftUntouched)
{
    QByteArray huge = "[Dorvane]\nTextsize=12\n[Other]\n";
    huge += QByteArray(IniFile::MaxFileBytes + 1 - huge.size(), 'x');
    writeFile(huge);
    const QByteArray hash = QCryptographicHash::hash(huge, QCryptographicHash::Sha1);
    IniFile ini(path());
    EXPECT_TRUE(ini.tooLarge());
    EXPECT_EQ(ini.readString("Dorvane", "Textsize", "8"), QStringLiteral("8")) << "read as missing";
    EXPECT_FALSE(ini.writeString("Dorvane", "Textsize", "10"));
    EXPECT_EQ(QCryptographicHash::hash(readFile(), QCryptographicHash::Sha1), hash);

    huge.chop(1); // at the bound it is still a settings file
    writeFile(huge);
    EXPECT_FALSE(ini.tooLarge());
    EXPECT_EQ(ini.readString("Dorvane", "Textsize", "8"), QStringLiteral("12"));
}

} // namespace
