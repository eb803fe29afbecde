// The keyboard in the auxiliary windows: Escape closes each of them, Enter in About is
// "Done" unless the link has been given the focus.
#include "aboutform.h"
#include "helpform.h"
#include "messageboxes.h"
#include "phrasesform.h"
#include "spectatorlist.h"
#include "spylistform.h"
#include "tallylistform.h"
#include "urllabel.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Shows the window active, presses key on its focused control (or the window) and tells
// whether the window is still shown.
bool stillShownAfter(QWidget &window, const std::function<void()> &show, Qt::Key key, QWidget *focus = nullptr)
{
    show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window)) << window.objectName().toStdString();
    if (focus)
        focus->setFocus();
    QWidget *target = window.focusWidget() ? window.focusWidget() : &window;
    QTest::keyClick(target, key);
    return window.isVisible();
}

TEST(WindowKeys, EscapeClosesEveryAuxiliaryWindow)
{
    QTemporaryDir dir;
    RecordingMessageBoxes boxes;

    Thelp help;
    EXPECT_FALSE(stillShownAfter(
        help, [&] { help.showHelp(); }, Qt::Key_Escape))
        << "help";
    // Also while a page has the focus (its text may be selected there).
    EXPECT_FALSE(stillShownAfter(
        help, [&] { help.showHelp(); }, Qt::Key_Escape, help.findChildren<QTextBrowser *>().value(0)))
        << "help, page focused";

    Tabout about;
    EXPECT_FALSE(stillShownAfter(
        about, [&] { about.showAbout(); }, Qt::Key_Escape))
        << "about";

    Ttallylist tally(TtallylistOptions{dir.filePath(QStringLiteral("tally.tld")), &boxes});
    EXPECT_FALSE(stillShownAfter(
        tally, [&] { tally.showTally({QStringLiteral("Ann")}); }, Qt::Key_Escape))
        << "tally";

    SpectatorList spectators;
    Tspylist spylist(&spectators);
    EXPECT_FALSE(stillShownAfter(
        spylist, [&] { spylist.showOver(QRect()); }, Qt::Key_Escape))
        << "spy list";

    Tphrases phrases;
    phrases.setSettingsPath(dir.filePath(QStringLiteral("vornlobby.ini")));
    int applied = 0;
    QObject::connect(&phrases, &Tphrases::phrasesChanged, [&] { ++applied; });
    const QStringList texts = {QStringLiteral("Hi")};
    auto *field = phrases.findChild<QLineEdit *>();
    ASSERT_NE(field, nullptr);
    EXPECT_FALSE(stillShownAfter(
        phrases, [&] { phrases.editPhrases(texts); }, Qt::Key_Escape, field))
        << "phrase editor, a field focused";
    EXPECT_EQ(applied, 0) << "Escape keeps nothing, as the title bar's close";
}

TEST(WindowKeys, EnterInAboutIsDone)
{
    Tabout about;
    std::vector<QUrl> opened;
    about.setOpener([&](const QUrl &url) {
        opened.push_back(url);
        return true;
    });
    EXPECT_FALSE(stillShownAfter(
        about, [&] { about.showAbout(); }, Qt::Key_Return));
    EXPECT_FALSE(stillShownAfter(
        about, [&] { about.showAbout(); }, Qt::Key_Enter));
    EXPECT_TRUE(opened.empty()) << "Enter opened the web site";

    // Tab to the link, then Enter: the link opens and the window stays.
    auto *link = about.findChild<TURL *>();
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(stillShownAfter(
        about, [&] { about.showAbout(); }, Qt::Key_Return, link));
    EXPECT_EQ(opened.size(), 1u);
}

} // namespace
