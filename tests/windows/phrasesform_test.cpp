// The phrase editor: fields filled from the buttons, "Done" applying and storing the nine
// phrases, the title-bar close keeping nothing.
#include "phrasesform.h"

#include "inifile.h"
#include "messageboxes.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QStringList Defaults = {"Way To Go!", "Good One!", "Nice Try!",         "Excellent!",         "Brilliant!",
                              "Wow, WTG!",  "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!"};

QString readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Types each character as its own key press, whatever the keyboard layout would need.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
    }
}

void writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

class PhrasesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("vornlobby.ini"));
        editor.setSettingsPath(path);
        editor.setMessageBoxes(&boxes);
    }

    QLineEdit *field(int n) { return editor.findChild<QLineEdit *>(QStringLiteral("phrase%1").arg(n)); }
    void clickDone()
    {
        auto *done = editor.findChild<QPushButton *>(QStringLiteral("button_done"));
        ASSERT_NE(done, nullptr);
        QTest::mouseClick(done, Qt::LeftButton);
    }

    QTemporaryDir dir;
    QString path;
    RecordingMessageBoxes boxes;
    Tphrases editor;
};

TEST_F(PhrasesTest, DoneAppliesAndStoresWithoutTouchingOtherKeys)
{
    writeAll(path, "[Other]\nPhrase1=keep me\n\n[Dorvane]\nTextsize=12\nphrase2=old\n");
    QSignalSpy applied(&editor, &Tphrases::phrasesChanged);
    editor.editPhrases(Defaults);
    ASSERT_TRUE(editor.isVisible());
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(field(n)->text(), Defaults[n - 1]) << "field " << n << " filled from its button";

    field(2)->clear();
    QTest::keyClicks(field(2), QStringLiteral("/me waves"));
    field(3)->clear();
    clickDone();

    QStringList expected = Defaults;
    expected[1] = QStringLiteral("/me waves");
    expected[2] = QString();
    ASSERT_EQ(applied.count(), 1);
    EXPECT_EQ(applied.at(0).at(0).toStringList(), expected);
    EXPECT_FALSE(editor.isVisible());

    IniFile ini(path);
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(ini.readString("Dorvane", QStringLiteral("Phrase%1").arg(n), "missing"), expected[n - 1])
            << "Phrase" << n;
    EXPECT_EQ(ini.readString("Other", "Phrase1"), QStringLiteral("keep me"));
    EXPECT_EQ(ini.readString("Dorvane", "Textsize"), QStringLiteral("12"));
    const QStringList lines = readAll(path).split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(QStringLiteral("Phrase3="))) << "the empty phrase is an empty value";
    EXPECT_FALSE(lines.contains(QStringLiteral("phrase2=old"))) << "the existing key is rewritten in place";
    EXPECT_TRUE(boxes.messages.isEmpty());
}

TEST_F(PhrasesTest, EmptyPhraseFallsBackToItsDefaultAfterRestart)
{
    editor.editPhrases(Defaults);
    field(3)->clear();
    field(9)->setText(QStringLiteral("gg"));
    clickDone();

    // A new run: the settings are read again and a new editor is opened from the buttons.
    const QStringList stored = Tphrases::storedPhrases(IniFile(path), Defaults);
    Tphrases restarted;
    restarted.setSettingsPath(path);
    restarted.editPhrases(stored);
    auto *phrase3 = restarted.findChild<QLineEdit *>(QStringLiteral("phrase3"));
    auto *phrase9 = restarted.findChild<QLineEdit *>(QStringLiteral("phrase9"));
    ASSERT_NE(phrase3, nullptr);
    ASSERT_NE(phrase9, nullptr);
    EXPECT_EQ(phrase3->text(), QStringLiteral("Nice Try!"));
    EXPECT_EQ(phrase9->text(), QStringLiteral("gg"));
    EXPECT_EQ(stored.mid(3, 5), Defaults.mid(3, 5));
    EXPECT_EQ(Tphrases::storedPhrases(IniFile(dir.filePath("none.ini")), Defaults), Defaults)
        << "no settings file: the defaults";
}

TEST_F(PhrasesTest, FieldsRefuseTheFiftyFirstCharacter)
{
    editor.editPhrases(Defaults);
    const struct
    {
        const char *name;
        QString typed;
    } cases[] = {
        {"ascii", QString(51, QLatin1Char('x'))},
        {"two-byte characters", QString(51, QChar(0x00E9))},
    };
    for (const auto &c : cases) {
        for (int n : {1, 9}) {
            field(n)->clear();
            typeText(field(n), c.typed);
            EXPECT_EQ(field(n)->text(), c.typed.left(50)) << c.name << " field " << n;
        }
    }
}

TEST_F(PhrasesTest, TitleBarCloseStoresAndAppliesNothing)
{
    QSignalSpy applied(&editor, &Tphrases::phrasesChanged);
    editor.editPhrases(Defaults);
    field(1)->setText(QStringLiteral("changed"));
    EXPECT_TRUE(editor.close());
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(applied.count(), 0);
    EXPECT_FALSE(QFile::exists(path));

    editor.editPhrases(Defaults);
    EXPECT_EQ(field(1)->text(), Defaults[0]) << "reopening shows the buttons' phrases again";
}

TEST_F(PhrasesTest, LineBreakCannotInjectSettingsLines)
{
    IniFile ini(path);
    QStringList phrases = Defaults;
    phrases[0] = QStringLiteral("hi\n[Evil]\nTextsize=99");
    ASSERT_TRUE(Tphrases::storePhrases(ini, phrases));
    EXPECT_EQ(ini.readString("Evil", "Textsize", "none"), QStringLiteral("none"));
    EXPECT_EQ(ini.readString("Dorvane", "Phrase1"), QStringLiteral("hi [Evil] Textsize=99"));
}

TEST_F(PhrasesTest, FailedSaveStillAppliesAndIsReported)
{
    editor.setSettingsPath(dir.filePath(QStringLiteral("missing-folder/vornlobby.ini")));
    QSignalSpy applied(&editor, &Tphrases::phrasesChanged);
    editor.editPhrases(Defaults);
    clickDone();
    EXPECT_EQ(applied.count(), 1);
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_TRUE(boxes.messages[0].contains(QStringLiteral("missing-folder"))) << boxes.messages[0].toStdString();
}

TEST_F(PhrasesTest, ShowsItsCaptionRowsAndTheGateNotice)
{
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Dorvane - Phrase Buttons "));
    EXPECT_EQ(editor.size(), QSize(368, 261));
    QStringList texts;
    for (const QLabel *label : editor.findChildren<QLabel *>())
        texts.append(label->text());
    for (int n = 1; n <= 9; ++n)
        EXPECT_TRUE(texts.contains(QStringLiteral("Phrase Button %1:").arg(n))) << n;
    EXPECT_TRUE(texts.contains(QStringLiteral("Buttons can only be used once every 2 seconds")));
}

} // namespace
