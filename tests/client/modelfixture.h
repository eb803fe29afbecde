// The client's dispatcher and model on their own: no window, no socket. Host messages are
// handed to the dispatcher directly; what it asks for, says and plays is recorded.
#pragma once

#include "clientgame.h"
#include "clientmodel.h"
#include "clientstate.h"
#include "protocol.h"

#include <QByteArrayList>
#include <QList>
#include <QObject>
#include <QStringList>
#include <gtest/gtest.h>

// All ten dice of a first roll: die n shows value n (die 1 a wild), colour (n % 4) + 1.
inline QByteArray firstRoll(int seat, int rolls = 1)
{
    QByteArray m = "CMD_createdice+" + QByteArray::number(seat) + '+' + QByteArray::number(rolls);
    for (int n = 1; n <= 10; ++n)
        m += '+' + QByteArray::number(n) + '+' + QByteArray::number(n == 1 ? 0 : n) + '+'
             + QByteArray::number(n % 4 + 1);
    return m;
}

class ModelFixture : public ::testing::Test
{
protected:
    ModelFixture()
    {
        game.clearall();
        QObject::connect(&game, &ClientGame::requestReady, [this](const QByteArray &r) { requests.append(r); });
        QObject::connect(&game, &ClientGame::soundRequested, [this](const QString &s) { sounds.append(s); });
        QObject::connect(&game, &ClientGame::modelChanged, [this] { ++changes; });
        QObject::connect(&game, &ClientGame::chatLine, [this](const ChatLine &line) {
            // A status line as its text; a person's line as "{seat}+" and the text the chat
            // shows. The isolates around peers' names and text are invisible; isolatedLines
            // keeps them.
            typedLines.append(line);
            QString shown = line.name.isEmpty() ? line.text : line.name + ChatLine::joiner(line.kind) + line.text;
            if (line.kind != ChatLine::Kind::Status)
                shown = QString::number(line.seat) + QLatin1Char('+') + shown;
            isolatedLines.append(shown);
            lines.append(shown.remove(QChar(0x2068)).remove(QChar(0x2069)));
        });
    }

    // The host gives this client number id and announces it as name.
    void login(int id = 1, const QByteArray &name = "You")
    {
        state.playername = QString::fromUtf8(name);
        deliver({"CMD_sendlogininfo+" + QByteArray::number(id),
                 "CMD_newplayerinfo+" + QByteArray::number(id) + '+' + name});
    }

    // Dispatches each line as the receive queue would; a dropped (malformed) one is noted.
    void deliver(const QByteArrayList &messages)
    {
        for (const QByteArray &m : messages) {
            try {
                game.processline(m);
            } catch (const protocol::ProtocolError &) {
                dropped.append(m);
            }
        }
    }
    void deliver(const QByteArray &message) { deliver(QByteArrayList{message}); }

    ClientModel model;
    ClientState state;
    ClientGame game{model, state};
    QByteArrayList requests;
    QByteArrayList dropped;
    QStringList sounds;
    QStringList lines;
    QStringList isolatedLines;  // the same lines with their isolates
    QList<ChatLine> typedLines; // the lines as the chat receives them
    int changes = 0;
};
