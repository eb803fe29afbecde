// The About window and its link label TURL.
#include "aboutform.h"
#include "urllabel.h"
#include "version.h"

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records what would have been handed to the desktop.
struct RecordingOpener
{
    std::vector<QUrl> opened;
    bool accept = true;

    TURL::Opener opener()
    {
        return [this](const QUrl &url) {
            opened.push_back(url);
            return accept;
        };
    }
};

QString labelText(const QWidget &window, const char *name)
{
    auto *label = window.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
}

TEST(Tabout, ShowsTheVersionTheClientSendsAtLogIn)
{
    Tabout about;
    EXPECT_EQ(labelText(about, "version"), QString::fromLatin1(GameVersion));
    EXPECT_EQ(labelText(about, "Label5"), QStringLiteral("Version"));
    EXPECT_EQ(labelText(about, "Label6"), QStringLiteral(".9"));
    EXPECT_EQ(labelText(about, "Label1"), QStringLiteral("Programmed by:"));
    EXPECT_EQ(labelText(about, "Label2"), QStringLiteral("Vorn22 Software"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Dorvane - About"));
    EXPECT_EQ(about.size(), QSize(Tabout::FormWidth, Tabout::FormHeight));
    // ".9" follows the version on the same line, without overlapping it.
    auto *version = about.findChild<QLabel *>(QStringLiteral("version"));
    auto *build = about.findChild<QLabel *>(QStringLiteral("Label6"));
    EXPECT_EQ(build->y(), version->y());
    EXPECT_GE(build->x(), version->x() + version->width());
}

// The name on the logo keeps clear of the gold rim: the strip just inside the rim's inner
// line shows only the green felt, in the font that stands in for Arial here.
TEST(Tabout, LogoNameKeepsClearOfTheRim)
{
    Tabout about;
    const auto *logo = about.findChild<QLabel *>(QStringLiteral("image_gamelogo"));
    ASSERT_NE(logo, nullptr);
    const QImage image = logo->pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(243, 66));
    int notFelt = 0;
    for (int y = 8; y < 58; ++y) {
        for (int x = 231; x < 238; ++x) {
            const QColor c = image.pixelColor(x, y);
            notFelt += c.green() > c.red() && c.green() > c.blue() ? 0 : 1;
        }
    }
    EXPECT_EQ(notFelt, 0) << "pixels of the name or the motto next to the rim";
}

TEST(Tabout, LinkLabelClickAndMainWindowLogoOpenTheMakersSite)
{
    Tabout about;
    RecordingOpener desktop;
    about.setOpener(desktop.opener());
    about.showAbout();
    auto *link = about.findChild<TURL *>(QStringLiteral("URL1"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->text(), QString::fromLatin1(Tabout::MakerAddress));

    QTest::mouseClick(link, Qt::RightButton);
    EXPECT_TRUE(desktop.opened.empty()) << "only the left button follows the link";
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_TRUE(about.openMakerSite());
    const QUrl expected(QStringLiteral("http://") + QString::fromLatin1(Tabout::MakerAddress));
    ASSERT_EQ(desktop.opened.size(), 2u);
    EXPECT_EQ(desktop.opened[0], expected);
    EXPECT_EQ(desktop.opened[1], expected);
}

TEST(Tabout, DoneHides)
{
    Tabout about;
    about.showAbout();
    ASSERT_TRUE(about.isVisible());
    QTest::mouseClick(about.findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
}

TEST(TURL, StaysUnderlinedInTheFontItIsGivenAndBrightensUnderThePointer)
{
    TURL link;
    link.setAddress(QStringLiteral("www.example.org"));
    EXPECT_TRUE(link.font().underline());
    QFont bold = link.font();
    bold.setUnderline(false);
    bold.setBold(true);
    link.setFont(bold);
    EXPECT_TRUE(link.font().underline()) << "a font given later";
    EXPECT_TRUE(link.font().bold());
    const QColor resting = link.palette().color(QPalette::WindowText);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&link, &enter);
    const QColor hovered = link.palette().color(QPalette::WindowText);
    EXPECT_GT(hovered.lightness(), resting.lightness());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    EXPECT_EQ(link.palette().color(QPalette::WindowText), resting);
}

TEST(Tabout, CentresOnTheMainWindow)
{
    Tabout about;
    const QRect mainFrame(40, 30, 700, 590);
    about.showAbout(mainFrame);
    EXPECT_LE((about.frameGeometry().center() - mainFrame.center()).manhattanLength(), 1);
}

struct SchemeCase
{
    const char *name;
    TURL::Scheme scheme;
    const char *address;
    const char *opened; // nullptr: refused, nothing handed to the desktop
};

const SchemeCase SchemeCases[] = {
    {"http", TURL::Scheme::Http, "www.example.org", "http://www.example.org"},
    {"https", TURL::Scheme::Https, "www.example.org/a?b=1", "https://www.example.org/a?b=1"},
    {"ftp", TURL::Scheme::Ftp, "ftp.example.org/pub", "ftp://ftp.example.org/pub"},
    {"gopher", TURL::Scheme::Gopher, "gopher.example.org", "gopher://gopher.example.org"},
    {"file", TURL::Scheme::File, "/tmp/readme.txt", "file:///tmp/readme.txt"},
    {"mailto", TURL::Scheme::Mailto, "help@example.org", "mailto:help@example.org"},
    {"news", TURL::Scheme::News, "comp.games.dice", "news:comp.games.dice"},
    {"telnet", TURL::Scheme::Telnet, "bbs.example.org", "telnet:bbs.example.org"},
    {"wais", TURL::Scheme::Wais, "wais.example.org", "wais:wais.example.org"},
    {"none, address with its own scheme", TURL::Scheme::None, "https://example.org", "https://example.org"},
    {"empty address", TURL::Scheme::Http, "", nullptr},
    {"blank address", TURL::Scheme::Http, "   ", nullptr},
    {"none, bare address", TURL::Scheme::None, "www.example.org", nullptr},
    {"none, local path", TURL::Scheme::None, "/usr/bin/xterm", nullptr},
    {"blank inside the address", TURL::Scheme::Http, "www.exa mple.org", nullptr},
};

TEST(TURL, JoinsSchemeAndAddressOrRefuses)
{
    for (const SchemeCase &row : SchemeCases) {
        RecordingOpener desktop;
        TURL link;
        link.setOpener(desktop.opener());
        link.setScheme(row.scheme);
        link.setAddress(QString::fromLatin1(row.address));
        const bool accepted = link.open();
        if (!row.opened) {
            EXPECT_FALSE(accepted) << row.name;
            EXPECT_TRUE(desktop.opened.empty()) << row.name;
            continue;
        }
        EXPECT_TRUE(accepted) << row.name;
        ASSERT_EQ(desktop.opened.size(), 1u) << row.name;
        EXPECT_EQ(desktop.opened[0].toString(), QString::fromLatin1(row.opened)) << row.name;
    }
}

TEST(TURL, ReportsTheDesktopsRefusal)
{
    RecordingOpener desktop;
    desktop.accept = false;
    TURL link;
    link.setOpener(desktop.opener());
    link.setAddress(QStringLiteral("www.example.org"));
    EXPECT_FALSE(link.open());
    EXPECT_EQ(desktop.opened.size(), 1u);
}

TEST(TURL, EnterKeyFollowsTheLink)
{
    RecordingOpener desktop;
    TURL link;
    link.setOpener(desktop.opener());
    link.setAddress(QStringLiteral("www.example.org"));
    QTest::keyClick(&link, Qt::Key_Return);
    EXPECT_EQ(desktop.opened.size(), 1u);
}

} // namespace
