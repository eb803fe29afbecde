// A Tchat connected to a ScriptedHost, logged in as a chosen number.
#pragma once

#include "board.h"
#include "chatform.h"
#include "clientconnection.h"
#include "clientgame.h"
#include "clientoptions.h"
#include "gamesounds.h"
#include "colorchooser.h"
#include "messageboxes.h"
#include "scriptedhost.h"
#include "shellopen.h"
#include "soundplayer.h"
#include "workarea.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <gtest/gtest.h>
#include <memory>

class ClientFixture : public ::testing::Test
{
protected:
    void SetUp() override { QApplication::setQuitOnLastWindowClosed(false); }

    // A fresh window started with the given command line (empty = solo game).
    void start(const QStringList &parameters = {}, quint16 port = 0)
    {
        TchatOptions options;
        options.boxes = &boxes;
        options.soundPlayer = &soundPlayer;
        options.shell = &shell;
        options.workArea = &workArea;
        options.colors = &colors;
        options.port = port ? port : host.port();
        options.lobbyPort = lobby.port();
        options.settingsPath = dir.filePath(QStringLiteral("vornlobby.ini"));
        options.mutexName = QStringLiteral("dorvane-test-%1").arg(QCoreApplication::applicationPid());
        chat = std::make_unique<Tchat>(options);
        chat->setParameters(parameters);
        created();
        chat->show();
    }

    // Runs after the window is made and before it is first shown (the command line is read then).
    virtual void created() {}

    // Solo start, then the host assigns number id and announces the player as name.
    void login(int id = 1, const QByteArray &name = "You")
    {
        start();
        ASSERT_TRUE(host.waitForClient());
        deliver("CMD_sendlogininfo+" + QByteArray::number(id));
        deliver("CMD_newplayerinfo+" + QByteArray::number(id) + '+' + name);
    }

    // Sends messages and waits until the client has dispatched all of them.
    void deliver(const QByteArrayList &messages)
    {
        const quint64 target = chat->session().connection().dispatchedCount() + quint64(messages.size());
        for (const QByteArray &m : messages)
            host.send(m);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return chat->session().connection().dispatchedCount() >= target; }, 3000))
            << "not dispatched: " << messages.join(" | ").toStdString();
    }
    void deliver(const QByteArray &message) { deliver(QByteArrayList{message}); }

    template <class T = QWidget>
    T *find(const QString &name) const
    {
        T *w = chat->findChild<T *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QString text(const QString &name) const { return find<QLabel>(name)->text(); }
    QStringList chatLines() const
    {
        // Each line shows its prefix run and words with their blanks; compare the words
        // (without the invisible isolates around peers' names and text).
        QStringList lines = chat->board().mainchat->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (QString &line : lines)
            line = line.remove(QChar(0x2068)).remove(QChar(0x2069)).simplified();
        return lines;
    }

    // Saves the window as a PNG when DORVANE_SCREENSHOT_DIR is set (for looking at the board).
    void screenshot(const char *name) const
    {
        const QString folder = qEnvironmentVariable("DORVANE_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            chat->grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
    }

    QTemporaryDir dir;
    ScriptedHost host;
    ScriptedHost lobby;
    RecordingMessageBoxes boxes;
    RecordingSoundPlayer soundPlayer;
    RecordingShellOpen shell;
    FixedWorkArea workArea{QRect(0, 0, 1024, 768)};
    FixedColorChooser colors;
    std::unique_ptr<Tchat> chat;
};
