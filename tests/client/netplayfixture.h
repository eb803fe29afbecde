// A main window in a solo game with its own in-process host, a stand-in router and
// recording desktop parts: the start of every test of hosting and joining from the game.
#pragma once

#include "board.h"
#include "chatform.h"
#include "clientsettings.h"
#include "colorchooser.h"
#include "hostgamedialog.h"
#include "joingamedialog.h"
#include "mainmenu.h"
#include "messageboxes.h"
#include "serverform.h"
#include "sessionswitcher.h"
#include "shellopen.h"
#include "soundplayer.h"
#include "standingateway.h"
#include "workarea.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <memory>

class Netplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        qputenv("DORVANE_UPNP_ROOT_URL", gateway.rootUrl());
    }
    void TearDown() override
    {
        chat.reset();
        qputenv("DORVANE_UPNP_ROOT_URL", "http://127.0.0.1:1/rootDesc.xml");
    }

    // A main window of its own (settings in a file named after it, its own host made),
    // not shown yet.
    std::unique_ptr<Tchat> makeWindow(const QString &name)
    {
        TchatOptions options;
        options.boxes = &boxes;
        options.soundPlayer = &sounds;
        options.shell = &shell;
        options.workArea = &workArea;
        options.colors = &colors;
        options.port = 0;
        options.lobbyPort = 1; // nothing listens there
        options.settingsPath = dir.filePath(name + QStringLiteral(".ini"));
        options.mutexName =
            QStringLiteral("dorvane-netplay-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(name);
        auto window = std::make_unique<Tchat>(options);
        window->sessions().createHost();
        return window;
    }

    // A solo game with its own in-process host on a port the system picks, logged in.
    void startSolo()
    {
        chat = makeWindow(QStringLiteral("vornlobby"));
        chat->show();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return chatText().contains(QLatin1String("You are Connected.")); }, 5000));
        soloPort = chat->server()->listeningPort();
        ASSERT_NE(soloPort, 0);
    }

    QString settingsPath() const { return dir.filePath(QStringLiteral("vornlobby.ini")); }
    QString chatText() const { return chat->board().mainchat->toPlainText(); }
    SessionSwitcher &sessions() const { return chat->sessions(); }
    QAction *menuItem(const char *name) const { return chat->findChild<QAction *>(QLatin1String(name)); }

    template <class T>
    T *in(QWidget &window, const char *name) const
    {
        T *child = window.findChild<T *>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    JoinGameDialog &openJoin()
    {
        menuItem("JoinGame1")->trigger();
        return sessions().joinDialog();
    }

    static bool refusesConnections(quint16 port)
    {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        return !probe.waitForConnected(1000);
    }

    void screenshot(QWidget &window, const char *name) const
    {
        const QString folder = qEnvironmentVariable("DORVANE_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            window.grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
    }

    StandInGateway gateway;
    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    RecordingSoundPlayer sounds;
    RecordingShellOpen shell;
    FixedWorkArea workArea{QRect(0, 0, 1024, 768)};
    FixedColorChooser colors;
    std::unique_ptr<Tchat> chat;
    quint16 soloPort = 0;
};
