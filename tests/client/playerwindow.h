// A main window with recording stand-ins for everything outside the process, for tests
// that run several windows against one real host.
#pragma once

#include "board.h"
#include "chatform.h"
#include "colorchooser.h"
#include "messageboxes.h"
#include "shellopen.h"
#include "soundplayer.h"
#include "workarea.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <memory>

struct Player
{
    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    RecordingSoundPlayer sounds;
    RecordingShellOpen shell;
    FixedWorkArea area{QRect(0, 0, 1024, 768)};
    FixedColorChooser colors;
    std::unique_ptr<Tchat> chat;

    void create(quint16 port, quint16 lobbyPort, const QString &mutex)
    {
        TchatOptions options;
        options.boxes = &boxes;
        options.port = port;
        options.lobbyPort = lobbyPort;
        options.settingsPath = dir.filePath(QStringLiteral("vornlobby.ini"));
        options.mutexName = mutex;
        options.soundPlayer = &sounds;
        options.shell = &shell;
        options.workArea = &area;
        options.colors = &colors;
        chat = std::make_unique<Tchat>(options);
    }
    QString lastLine() const
    {
        // Without the invisible isolates around peers' names and text.
        QString line = chat->board().mainchat->document()->lastBlock().text();
        return line.remove(QChar(0x2068)).remove(QChar(0x2069)).simplified();
    }
    bool waitForLine(const QString &line) const
    {
        return QTest::qWaitFor([&] { return lastLine() == line; }, 5000);
    }
};
