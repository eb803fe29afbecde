// TurnEngine: the host's game — start, turn order, rolls, all done, scoring, winner.
#pragma once

#include "hoststate.h"

#include <QByteArray>

class TurnSink;

// Works on the host state and tells the clients everything through the sink. The texts
// are a request's rest as it arrives (seat first), the computer player builds the same.
// Malformed texts throw protocol::ProtocolError before anything changes.
class TurnEngine
{
public:
    TurnEngine(HostState &state, TurnSink &sink);

    void startgame(const QByteArray &text);
    void findplayer();
    void rollthedice(const QByteArray &text);
    void rolldice(int die);
    static int findcolor(int die, int r);
    void alldone(const QByteArray &text);
    void checkforwin();
    void timer1Timer(int step);

    // True between a turn's all done and the next turn (the pause).
    bool turnFinished() const { return m_state.rollcount >= 5; }

private:
    HostState &m_state;
    TurnSink &m_sink;
};
