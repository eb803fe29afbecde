// The help window: page buttons, heading, reopening on the last page, lazy loading.
#include "downloadform.h"
#include "helpform.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

struct PageCase
{
    const char *button;
    int tag;
    const char *caption;
};

const PageCase PageCases[] = {
    {"SelButton1", 1, "Overview"}, {"SelButton2", 2, "Connecting"},    {"SelButton3", 3, "Game Play"},
    {"SelButton4", 4, "Scoring"},  {"SelButton5", 5, "Documentation"}, {"SelButton6", 6, "License"},
};

QString frontPageName(const Thelp &help)
{
    auto *stack = help.findChild<QStackedWidget *>(QStringLiteral("panel_pages"));
    return stack && stack->currentWidget() ? stack->currentWidget()->objectName() : QString();
}

QString heading(const Thelp &help)
{
    auto *caption = help.findChild<QLabel *>(QStringLiteral("label_caption"));
    return caption ? caption->text() : QString();
}

void click(const Thelp &help, const char *name)
{
    auto *button = help.findChild<QPushButton *>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

TEST(Thelp, OpensOnOverviewWithItsCaption)
{
    Thelp help;
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Dorvane - Help File"));
    help.showHelp();
    EXPECT_EQ(frontPageName(help), QStringLiteral("memo1"));
    EXPECT_EQ(heading(help), QStringLiteral("Overview"));
}

// Every page starts with its own title, so a page wired to the wrong button shows here.
TEST(Thelp, EachPageButtonBringsItsPageAndHeadingToTheFront)
{
    Thelp help;
    help.showHelp();
    for (const PageCase &row : PageCases) {
        click(help, row.button);
        EXPECT_EQ(frontPageName(help), QStringLiteral("memo%1").arg(row.tag)) << row.button;
        EXPECT_EQ(help.currentPage(), row.tag) << row.button;
        EXPECT_EQ(heading(help), QString::fromLatin1(row.caption)) << row.button;
        auto *page = help.findChild<QTextBrowser *>(QStringLiteral("memo%1").arg(row.tag));
        ASSERT_NE(page, nullptr) << row.button;
        EXPECT_TRUE(page->toPlainText().startsWith(QString::fromLatin1(row.caption))) << row.button;
        // Only the chosen page button is marked.
        for (const PageCase &other : PageCases) {
            auto *button = help.findChild<QPushButton *>(QString::fromLatin1(other.button));
            EXPECT_EQ(button->isChecked(), other.tag == row.tag) << row.button << " / " << other.button;
        }
    }
}

TEST(Thelp, DoneHidesAndReopeningShowsTheLastPage)
{
    Thelp help;
    help.showHelp();
    click(help, "SelButton4");
    click(help, "button_done");
    EXPECT_FALSE(help.isVisible());
    help.showHelp();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(frontPageName(help), QStringLiteral("memo4"));
    EXPECT_EQ(heading(help), QStringLiteral("Scoring"));
}

TEST(Thelp, AboutButtonShowsTheAboutWindowThroughTheMainWindow)
{
    Thelp help;
    int shown = 0;
    help.setShowAbout([&shown] { ++shown; });
    help.showHelp();
    click(help, "button_about");
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(help.isVisible());
}

TEST(Thelp, PagesAreReadOnlyWhenTheWindowFirstOpens)
{
    Thelp help;
    auto *overview = help.findChild<QTextBrowser *>(QStringLiteral("memo1"));
    ASSERT_NE(overview, nullptr);
    EXPECT_TRUE(overview->toPlainText().isEmpty());
    help.showHelp();
    for (int tag = 1; tag <= Thelp::PageCount; ++tag) {
        auto *page = help.findChild<QTextBrowser *>(QStringLiteral("memo%1").arg(tag));
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->isReadOnly()) << tag;
        EXPECT_GT(page->toPlainText().size(), 300) << "page " << tag << " has no content";
    }
}

// Pictures on the pages name compiled-in resources; a wrong name would show a broken image.
TEST(Thelp, EveryPictureOnThePagesLoads)
{
    Thelp help;
    help.showHelp();
    int pictures = 0;
    for (int tag = 1; tag <= Thelp::PageCount; ++tag) {
        auto *page = help.findChild<QTextBrowser *>(QStringLiteral("memo%1").arg(tag));
        QTextDocument *document = page->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                if (!format.isImageFormat())
                    continue;
                ++pictures;
                const QString name = format.toImageFormat().name();
                const QVariant data = page->loadResource(QTextDocument::ImageResource, QUrl(name));
                QImage image;
                if (data.canConvert<QByteArray>())
                    image.loadFromData(data.toByteArray());
                EXPECT_FALSE(image.isNull()) << "page " << tag << ": " << name.toStdString();
            }
        }
    }
    EXPECT_EQ(pictures, 10) << "the phase table shows one example per phase";
}

// The Connecting page sends readers to the buttons of the window a solo start shows; each
// sentence about downloading must name the download button, and none about the button
// that opens an installed lobby may say it downloads.
TEST(Thelp, ConnectingPageNamesTheButtonThatDoesEachThing)
{
    Thelp help;
    help.showHelp();
    click(help, "SelButton2");
    const auto *page = help.findChild<QTextBrowser *>(QStringLiteral("memo2"));
    ASSERT_NE(page, nullptr);
    Tdownload download;
    const QString get = download.findChild<QPushButton *>(QStringLiteral("getbutton"))->text();
    const QString others = download.findChild<QPushButton *>(QStringLiteral("Button2"))->text();
    int namingGet = 0, namingOthers = 0;
    for (const QString &sentence : page->toPlainText().simplified().split(QStringLiteral(". "))) {
        const bool downloads = sentence.contains(QStringLiteral("download"), Qt::CaseInsensitive);
        namingGet += sentence.contains(get) ? 1 : 0;
        namingOthers += sentence.contains(others) ? 1 : 0;
        if (downloads) {
            EXPECT_TRUE(sentence.contains(get)) << sentence.toStdString();
            EXPECT_FALSE(sentence.contains(others)) << sentence.toStdString();
        }
    }
    EXPECT_GE(namingGet, 1);
    EXPECT_GE(namingOthers, 1);
}

TEST(Thelp, CentresOnTheMainWindow)
{
    Thelp help;
    const QRect mainFrame(100, 80, 700, 590);
    help.showHelp(mainFrame);
    EXPECT_LE((help.frameGeometry().center() - mainFrame.center()).manhattanLength(), 1);
}

} // namespace
