// Tdownload against a scripted HTTP server on 127.0.0.1 (ephemeral port, same thread),
// with a recording shell, fixed folders and recorded message boxes.
#include "downloadform.h"
#include "folders.h"
#include "httpget.h"
#include "messageboxes.h"
#include "pixels.h"
#include "scriptedhttpserver.h"
#include "shellopen.h"
#include "stylesheetcheck.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QImage>
#include <QLabel>
#include <QMap>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

using scriptedhttp::patternBody;
using scriptedhttp::Reply;
using scriptedhttp::ScriptedServer;

Reply okReply(const QByteArray &body, int piece = 0, int pauseMs = 0, qsizetype announced = -1)
{
    return {"HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(announced < 0 ? body.size() : announced),
            body, piece, pauseMs};
}

// A port nobody listens on: bound for a moment, then let go.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class DownloadFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        programFolder = m_dir.path() + QStringLiteral("/program/");
        dataFolder = m_dir.path() + QStringLiteral("/data/");
        ASSERT_TRUE(QDir().mkpath(programFolder) && QDir().mkpath(dataFolder));
        folders.dataFolder = dataFolder;
        form.setShellOpen(&shell);
        form.setFolders(&folders);
        form.setMessageBoxes(&boxes);
        form.setProgramFolder(programFolder);
        form.setExitGame([this] { ++exits; });
        form.httpClient()->setTimeouts(10, 10);
        // A lobby installer address is configured: the scripted server's.
        form.setDownloadUrl(server.url("/lobby/vnlsetup.exe"));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    QLabel *label(const char *name) { return form.findChild<QLabel *>(QString::fromLatin1(name)); }
    QPushButton *button(const char *name) { return form.findChild<QPushButton *>(QString::fromLatin1(name)); }

    // Clicks the download button; returns when the download and what follows it ended. A
    // download still running after 20 s is stopped and fails the test (a hang).
    void download(const QString &url)
    {
        form.setDownloadUrl(url);
        bool hung = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            hung = true;
            form.httpClient()->Abort();
        });
        watchdog.start(20000);
        QTest::mouseClick(button("getbutton"), Qt::LeftButton);
        EXPECT_FALSE(hung) << "the download did not end by itself";
    }

    void expectIdleButtons(const char *name)
    {
        EXPECT_TRUE(button("getbutton")->isEnabled()) << name;
        EXPECT_FALSE(button("abortbutton")->isEnabled()) << name;
    }

    QTemporaryDir m_dir;
    QString programFolder;
    QString dataFolder;
    RecordingShellOpen shell;
    FixedFolders folders{true, QString()};
    RecordingMessageBoxes boxes;
    int exits = 0;
    ScriptedServer server;
    Tdownload form;
};

TEST_F(DownloadFormTest, WindowShowsItsPanelsAndPicture)
{
    EXPECT_EQ(form.size(), QSize(Tdownload::FormWidth, Tdownload::FormHeight));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "it would cover Host and Join";
    EXPECT_EQ(form.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(button("abortbutton")->text(), QStringLiteral("Stop Download"));
    EXPECT_FALSE(button("abortbutton")->isEnabled());
    EXPECT_EQ(button("Button1")->text(), QStringLiteral("Play Solo Game"));
    EXPECT_TRUE(button("Button1")->isDefault());
    EXPECT_EQ(button("Button2")->text(), QStringLiteral("Play with Others"));
    EXPECT_EQ(label("label_solo")->text(),
              QStringLiteral(
                  "To proceed to the game without the ability to play against others click the button below."));
    EXPECT_EQ(label("label_firewall")->text(),
              QStringLiteral("Note: Even if you are playing offline, you will need to configure your FIREWALL to "
                             "allow the game to access the internet components."));
    EXPECT_FALSE(label("infolabel2")->isVisible());
    // The picture is decoded when the window is first shown.
    const QPixmap picture = label("image_picture")->pixmap();
    EXPECT_EQ(picture.size(), QSize(340, 180));
}

// Saves the window as a PNG when DORVANE_SCREENSHOT_DIR is set (for looking at it).
void screenshot(QWidget &window, const char *name)
{
    const QString folder = qEnvironmentVariable("DORVANE_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QTest::qWait(50); // changed texts are laid out again first, as on screen
    window.grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

// True when some pixel of widget is drawn exactly in colour.
bool drawsIn(QWidget *widget, const QColor &colour)
{
    return hasPixel(widget->grab().toImage(), colour);
}

TEST_F(DownloadFormTest, NoWidgetDrawsThroughAStyleSheet)
{
    EXPECT_EQ(styleSheetWidgets(form), std::string());
}

TEST_F(DownloadFormTest, TextsAndPanelsKeepTheirColours)
{
    const QColor green(16, 96, 30);
    const QColor red(200, 0, 0);
    const QColor blue(16, 70, 130);
    const QColor cream(250, 247, 232);
    const QColor brown(70, 40, 14);
    EXPECT_TRUE(drawsIn(label("label_heading2"), green));
    EXPECT_TRUE(drawsIn(label("label_solo"), Qt::black));
    EXPECT_TRUE(drawsIn(label("label_firewall"), red));
    EXPECT_FALSE(drawsIn(label("label_lobby"), red));
    EXPECT_TRUE(drawsIn(button("getbutton"), red)) << "the download button's text is red";
    EXPECT_FALSE(drawsIn(button("Button2"), red));
    label("infolabel")->setText(QStringLiteral("Loading"));
    EXPECT_TRUE(drawsIn(label("infolabel"), blue));
    for (const char *name : {"panel_download", "panel_solo", "panel_lobby"}) {
        QWidget *panel = form.findChild<QWidget *>(QString::fromLatin1(name));
        const QImage image = panel->grab().toImage();
        EXPECT_EQ(image.pixelColor(1, image.height() / 2), brown) << name << ": 2 px border";
        EXPECT_EQ(image.pixelColor(2, image.height() / 2), cream) << name;
    }
    EXPECT_EQ(button("getbutton")->height(), 40);
    EXPECT_EQ(button("Button1")->height(), 34) << "the default button's border is 2 px";
}

struct SavedCase
{
    const char *name;
    QByteArray path;
    bool programFolderWritable;
    bool inProgramFolder;
};

TEST_F(DownloadFormTest, CompleteTransferIsSavedMadeExecutableAndStarted)
{
    const SavedCase cases[] = {
        {"writable program folder", "/lobby/vnlsetup.exe", true, true},
        {"read-only program folder", "/lobby/vnlsetup.exe", false, false},
        {"a query is no part of the name", "/lobby/vnlsetup.exe?build=7", true, true},
    };
    const QByteArray body = patternBody(1234);
    for (const SavedCase &c : cases) {
        folders.writable = c.programFolderWritable;
        server.replies[c.path] = okReply(body, 500, 5);
        shell.starts.clear();
        exits = 0;
        for (const QString &folder : {programFolder, dataFolder})
            QFile::remove(folder + QStringLiteral("vnlsetup.exe"));

        download(server.url(c.path));

        const QString saved = (c.inProgramFolder ? programFolder : dataFolder) + QStringLiteral("vnlsetup.exe");
        const QString other = (c.inProgramFolder ? dataFolder : programFolder) + QStringLiteral("vnlsetup.exe");
        EXPECT_EQ(label("infolabel")->text(), QStringLiteral("Received 1234 bytes")) << c.name;
        EXPECT_EQ(label("infolabel3")->text(), QStringLiteral("Installing")) << c.name;
        EXPECT_EQ(form.downloadState(), Tdownload::StateStarted) << c.name;
        expectIdleButtons(c.name);
        ASSERT_EQ(shell.starts.size(), 1) << c.name;
        EXPECT_EQ(shell.starts[0].path, saved) << c.name;
        EXPECT_EQ(shell.starts[0].arguments.join(QLatin1Char(' ')), QStringLiteral("/SP- /silent /noicons"))
            << c.name;
        QFile file(saved);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.name;
        EXPECT_EQ(file.readAll(), body) << c.name;
        EXPECT_TRUE(file.permissions().testFlag(QFileDevice::ExeOwner)) << c.name;
        EXPECT_FALSE(QFile::exists(other)) << c.name;
        EXPECT_EQ(exits, 1) << c.name;
        EXPECT_TRUE(boxes.messages.isEmpty()) << c.name;
    }
}

struct FailedCase
{
    const char *name;
    Reply reply;
    bool refused;
    const char *phaseLine; // pattern of the phase line, which says why
};

TEST_F(DownloadFormTest, FailedTransferInstallsNothingAndSaysWhy)
{
    const QByteArray body = patternBody(1234);
    const FailedCase cases[] = {
        {"404 with a body",
         {"HTTP/1.0 404 Not Found\r\nContent-Length: 9", "not found"},
         false,
         "^The server answered 404 Not Found$"},
        {"500",
         {"HTTP/1.0 500 Internal Server Error", {}},
         false,
         "^The server answered 500 Internal Server Error$"},
        {"connection cut before the announced length", okReply(body.left(600), 0, 0, 1234), false,
         "^Download failed: \\S"},
        {"refused connection", {}, true, "^Download failed: \\S"},
    };
    for (const FailedCase &c : cases) {
        server.replies["/lobby/vnlsetup.exe"] = c.reply;
        label("infolabel3")->setText(QStringLiteral("earlier text"));
        const QString url = c.refused ? QStringLiteral("http://127.0.0.1:%1/lobby/vnlsetup.exe").arg(closedPort())
                                      : server.url("/lobby/vnlsetup.exe");
        download(url);

        EXPECT_EQ(label("infolabel")->text(), QStringLiteral("Download Aborted")) << c.name;
        const QString phase = label("infolabel3")->text().replace(QLatin1Char('\n'), QLatin1Char(' '));
        EXPECT_TRUE(phase.contains(QRegularExpression(QString::fromLatin1(c.phaseLine))))
            << c.name << ": " << phase.toStdString();
        EXPECT_EQ(form.downloadState(), Tdownload::StateFailed) << c.name;
        expectIdleButtons(c.name);
        EXPECT_TRUE(shell.starts.isEmpty()) << c.name;
        EXPECT_EQ(exits, 0) << c.name;
        EXPECT_FALSE(QFile::exists(programFolder + QStringLiteral("vnlsetup.exe"))) << c.name;
    }
}

// A server's reason text is shown as its characters (a picture it names is never loaded)
// and is cut to the phase line's two lines, whatever its length; the whole text is in the
// tool tip.
TEST_F(DownloadFormTest, ServerReasonIsShownAsTextAndCutToThePhaseLine)
{
    const QString picture = m_dir.filePath(QStringLiteral("red.png"));
    QImage red(100, 60, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(picture));
    const QByteArray markup = "<img src=\"" + picture.toUtf8() + "\"> denied";
    const QByteArray longWord(3000, 'x');
    const QByteArray manyWords = QByteArray("no ").repeated(1000);
    for (const QByteArray &reason : {markup, longWord, manyWords}) {
        const std::string name = reason.left(20).toStdString();
        server.replies["/lobby/vnlsetup.exe"] = {"HTTP/1.0 403 " + reason, {}};
        download(server.url("/lobby/vnlsetup.exe"));
        QLabel *phase = label("infolabel3");
        const QString full = QStringLiteral("The server answered 403 ") + QString::fromUtf8(reason).trimmed();
        EXPECT_EQ(phase->toolTip(), full) << name;
        const QStringList lines = phase->text().split(QLatin1Char('\n'));
        EXPECT_LE(lines.size(), Tdownload::PhaseLines) << name;
        EXPECT_TRUE(full.startsWith(lines.front())) << name;
        const QFontMetrics metrics(phase->font());
        for (const QString &line : lines) {
            EXPECT_LE(metrics.horizontalAdvance(line), phase->contentsRect().width()) << name;
        }
        EXPECT_GE(phase->contentsRect().height(), metrics.lineSpacing() * int(lines.size()))
            << name << ": lines cut off";
        EXPECT_EQ(form.size(), QSize(Tdownload::FormWidth, Tdownload::FormHeight)) << name;

        const QImage drawn = phase->grab().toImage();
        bool anyRed = false;
        for (int y = 0; y < drawn.height() && !anyRed; ++y)
            for (int x = 0; x < drawn.width() && !anyRed; ++x)
                anyRed = drawn.pixelColor(x, y) == QColor(Qt::red);
        EXPECT_FALSE(anyRed) << name << ": the picture was drawn";
    }
}

TEST_F(DownloadFormTest, StopDuringSlowTransfer)
{
    server.replies["/lobby/vnlsetup.exe"] = okReply(patternBody(30000), 100, 20); // about 6 s
    QString progressSeen;
    QString phaseSeen;
    bool getEnabledWhileRunning = true;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!label("infolabel")->text().endsWith(QStringLiteral(" bytes")))
            return;
        poll.stop();
        progressSeen = label("infolabel")->text();
        phaseSeen = label("infolabel3")->text();
        getEnabledWhileRunning = button("getbutton")->isEnabled();
        EXPECT_TRUE(button("abortbutton")->isEnabled());
        QTest::mouseClick(button("abortbutton"), Qt::LeftButton);
    });
    poll.start(5);
    download(server.url("/lobby/vnlsetup.exe"));

    EXPECT_TRUE(progressSeen.contains(QRegularExpression(QStringLiteral("^[1-9][0-9]* bytes$"))))
        << progressSeen.toStdString();
    EXPECT_EQ(phaseSeen, QStringLiteral("Downloading: vnlsetup.exe"));
    EXPECT_FALSE(getEnabledWhileRunning);
    EXPECT_EQ(label("infolabel")->text(), QStringLiteral("Download Aborted"));
    EXPECT_EQ(label("infolabel3")->text(), QStringLiteral("Download Aborted"));
    EXPECT_EQ(form.downloadState(), Tdownload::StateFailed);
    expectIdleButtons("stopped");
    EXPECT_TRUE(shell.starts.isEmpty());
    EXPECT_EQ(exits, 0);
    EXPECT_FALSE(QFile::exists(programFolder + QStringLiteral("vnlsetup.exe")));
}

TEST_F(DownloadFormTest, DesktopShellRunsTheDownloadedInstaller)
{
    const QString marker = m_dir.path() + QStringLiteral("/installed.txt");
    const QByteArray installer = "#!/bin/sh\nprintf '%s ' \"$@\" > '" + marker.toUtf8()
                                 + ".part'\n"
                                   "mv '"
                                 + marker.toUtf8() + ".part' '" + marker.toUtf8() + "'\n";
    server.replies["/lobby/vnlsetup.exe"] = okReply(installer);
    form.setShellOpen(nullptr);
    download(server.url("/lobby/vnlsetup.exe"));
    EXPECT_EQ(label("infolabel3")->text(), QStringLiteral("Installing"));
    EXPECT_TRUE(boxes.messages.isEmpty());
    EXPECT_EQ(exits, 1);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
    QFile written(marker);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("/SP- /silent /noicons "));
}

TEST_F(DownloadFormTest, ShellRefusingTheInstallerShowsTheErrorAndTheGameGoesOn)
{
    shell.answer = false;
    server.replies["/lobby/vnlsetup.exe"] = okReply(patternBody(1234));
    download(server.url("/lobby/vnlsetup.exe"));
    EXPECT_EQ(shell.starts.size(), 1);
    EXPECT_EQ(label("infolabel3")->text(), QStringLiteral("Installing"));
    EXPECT_EQ(boxes.messages, QStringList{QStringLiteral("An Error has Occurred.")});
    EXPECT_EQ(exits, 0);
}

struct LobbyCase
{
    const char *name;
    bool installed;
    bool shellStarts;
    int exits;
    bool errorShown;
};

TEST_F(DownloadFormTest, PlayWithOthersOpensAnInstalledLobby)
{
    const QString lobby = m_dir.path() + QStringLiteral("/vornlobby");
    const LobbyCase cases[] = {
        {"not installed", false, true, 0, false},
        {"installed", true, true, 1, false},
        {"installed but cannot start", true, false, 0, true},
    };
    for (const LobbyCase &c : cases) {
        QFile::remove(lobby);
        if (c.installed) {
            QFile file(lobby);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        form.setLobbyProgram(lobby);
        shell.answer = c.shellStarts;
        shell.starts.clear();
        boxes.messages.clear();
        exits = 0;
        QTest::mouseClick(button("Button2"), Qt::LeftButton);

        EXPECT_EQ(exits, c.exits) << c.name;
        ASSERT_EQ(shell.starts.size(), c.installed ? 1 : 0) << c.name;
        if (c.installed) {
            EXPECT_EQ(shell.starts[0].path, lobby) << c.name;
            EXPECT_TRUE(shell.starts[0].arguments.isEmpty()) << c.name;
        }
        ASSERT_EQ(boxes.messages.size(), c.exits ? 0 : 1) << c.name;
        if (!c.exits) {
            EXPECT_EQ(boxes.messages[0] == QStringLiteral("An Error has Occurred."), c.errorShown) << c.name;
        }
    }
}

TEST_F(DownloadFormTest, PlayWithOthersWithoutALobbyOpensTheGamesOwnJoinWindow)
{
    form.setLobbyProgram(m_dir.path() + QStringLiteral("/no-lobby-here"));
    int joins = 0;
    form.setJoinGame([&] { ++joins; });
    form.setDownloadUrl(QString());
    form.show();
    screenshot(form, "download-join");
    QTest::mouseClick(button("Button2"), Qt::LeftButton);
    EXPECT_EQ(joins, 1);
    EXPECT_TRUE(boxes.messages.isEmpty()) << "no message sends the player to a lobby they do not have";
    EXPECT_FALSE(form.isVisible()) << "the download window makes way for the join window";
    EXPECT_TRUE(label("label_lobby")->text().contains(QStringLiteral("Join a Game...")))
        << "the panel says what the button does here";
    EXPECT_EQ(exits, 0) << "the game goes on";
    EXPECT_TRUE(shell.starts.isEmpty());
}

struct AddressCase
{
    const char *url;
    bool configured;
};

// Without a usable installer address the window offers solo play and joining, and no click
// or key can start a transfer that is bound to fail.
TEST_F(DownloadFormTest, DownloadIsOfferedOnlyWithAConfiguredAddress)
{
    const AddressCase cases[] = {
        {"", false},
        {"https://example.invalid/lobby/vnlsetup.exe", false},
        {"http://lobby.example.com/vnlsetup.exe", false},
        {"http://downloads.example/vnlsetup.exe", false},
        {"http://setup.test/vnlsetup.exe", false},
        {"ftp://127.0.0.1/vnlsetup.exe", false},
        {"vnlsetup.exe", false},
        {"http:///vnlsetup.exe", false},
        {"http://127.0.0.1:8080/lobby/vnlsetup.exe", true},
        {"https://lobby.vorn22.net/vnlsetup.exe", true},
    };
    for (const AddressCase &c : cases)
        EXPECT_EQ(Tdownload::isConfigured(QString::fromLatin1(c.url)), c.configured) << c.url;

    for (const char *url : {"", "https://example.invalid/lobby/vnlsetup.exe"}) {
        server.requests.clear();
        form.setDownloadUrl(QString::fromLatin1(url));
        EXPECT_FALSE(button("getbutton")->isVisible()) << url;
        EXPECT_FALSE(form.findChild<QWidget *>(QStringLiteral("panel_progress"))->isVisible()) << url;
        EXPECT_FALSE(label("label_invite")->text().contains(QStringLiteral("Download"))) << url;
        EXPECT_TRUE(button("Button1")->isVisible() && button("Button2")->isVisible()) << url;
        screenshot(form, "download-unconfigured");
        form.startDownload();
        QTest::qWait(50);
        EXPECT_EQ(form.downloadState(), 0) << url << ": a download was started";
        EXPECT_EQ(label("infolabel")->text(), QString()) << url;
        EXPECT_TRUE(server.requests.isEmpty()) << url;
        EXPECT_TRUE(shell.starts.isEmpty()) << url;
    }

    form.setDownloadUrl(server.url("/lobby/vnlsetup.exe"));
    EXPECT_TRUE(button("getbutton")->isVisible()) << "a configured address is offered again";
    EXPECT_TRUE(form.findChild<QWidget *>(QStringLiteral("panel_progress"))->isVisible());
    screenshot(form, "download-configured");
}

TEST(DownloadFormAddress, TakenFromTheEnvironmentWhenSet)
{
    const QByteArray saved = qgetenv(Tdownload::UrlVariable);
    qputenv(Tdownload::UrlVariable, "http://127.0.0.1:9/lobby/setup.bin");
    EXPECT_EQ(Tdownload().downloadUrl(), QStringLiteral("http://127.0.0.1:9/lobby/setup.bin"));
    qunsetenv(Tdownload::UrlVariable);
    const Tdownload builtIn;
    EXPECT_EQ(builtIn.downloadUrl(), QString::fromLatin1(Tdownload::DefaultUrl));
    EXPECT_FALSE(Tdownload::isConfigured(builtIn.downloadUrl())) << "no installer is published";
    if (!saved.isNull())
        qputenv(Tdownload::UrlVariable, saved);
}

// "Show at start" reads and writes one key of the shared settings file, on by default, and
// a file that cannot be written is reported.
TEST_F(DownloadFormTest, ShowAtStartIsRememberedInTheSettingsFile)
{
    const QString settings = m_dir.filePath(QStringLiteral("vornlobby.ini"));
    auto *check = form.findChild<QCheckBox *>(QStringLiteral("check_showatstart"));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->text(), QStringLiteral("Show at start"));
    EXPECT_TRUE(check->isVisible());
    EXPECT_TRUE(Tdownload::showAtStart(settings)) << "on without a file";
    form.setSettingsPath(settings);
    EXPECT_TRUE(check->isChecked());

    check->click();
    EXPECT_FALSE(Tdownload::showAtStart(settings));
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    EXPECT_TRUE(written.startsWith("[Dorvane]") && written.contains("Showdownload=false")) << written.constData();
    file.close();
    {
        Tdownload again;
        again.setSettingsPath(settings);
        EXPECT_FALSE(again.findChild<QCheckBox *>(QStringLiteral("check_showatstart"))->isChecked());
    }
    check->click();
    EXPECT_TRUE(Tdownload::showAtStart(settings));
    EXPECT_TRUE(boxes.messages.isEmpty());

    form.setSettingsPath(m_dir.filePath(QStringLiteral("missing-folder/vornlobby.ini")));
    check->click();
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_TRUE(boxes.messages[0].contains(QStringLiteral("missing-folder"))) << boxes.messages[0].toStdString();
}

// Opening the game's Host or Join window closes this one; a running download stops and
// installs nothing.
TEST_F(DownloadFormTest, MakesWayForTheGamesOwnWindows)
{
    form.makeWayForGameWindow();
    EXPECT_FALSE(form.isVisible());

    form.show();
    server.replies["/lobby/vnlsetup.exe"] = okReply(patternBody(30000), 100, 20); // about 6 s
    QTimer::singleShot(100, &form, [this] { form.makeWayForGameWindow(); });
    download(server.url("/lobby/vnlsetup.exe"));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.downloadState(), Tdownload::StateFailed);
    EXPECT_TRUE(shell.starts.isEmpty());
    EXPECT_EQ(exits, 0);
}

TEST_F(DownloadFormTest, PlaySoloClosesOnlyTheWindow)
{
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(shell.starts.isEmpty());
    form.show();
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible()) << "Enter acts on the default button";
}

} // namespace
