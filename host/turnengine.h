// TurnEngine: the host's game — start, turn order, rolls, all done, scoring, winner.
#pragma once

#include "hoststate.h"

#include <QByteArray>

class TurnSink;

// Works on the host state and tells the clients everything through the sink. The texts
// are a request's rest as it arrives (seat first), the computer player builds the same.
// Malformed texts throw protocol::ProtocolError before anything changes.
//
// Requests the game cannot use are ignored without any change: a roll or all done
// while no game runs, from a seat not on turn, during the pause after the turn's all
// done, and a roll once three rolls are used (the seat-only roll still means all done).
class TurnEngine
{
public:
    static constexpr int MaxRolls = 3;
    static constexpr int PauseTicks = 5;
    static constexpr int Phase5Bonus = 40;
    static constexpr int Phase5BonusAbove = 220;
    static constexpr int GoneOutBonus = 40;

    TurnEngine(HostState &state, TurnSink &sink);

    // text: name + three more fields, relayed as they come.
    void startgame(const QByteArray &text);
    void findplayer();
    // text: seat + die list ("+" die ...); the seat alone means all done with all ten dice.
    // The first roll of a turn rolls all ten dice whatever the list names. A list that names
    // a die twice, or a die outside 1 to 10, throws protocol::ProtocolError.
    void rollthedice(const QByteArray &text);
    // Rolls die 1 to 10; a die that already shows a colour always changes it.
    void rolldice(int die);
    // Colour 1 to 4 of face r (1 to 6) of die 1 to 10; 0 for anything outside those.
    static int findcolor(int die, int r);
    // Value of face r (1 to 6) of die 1 to 10: 0 (wild) for r 5 and 6 on dice 1 to 4.
    static int facevalue(int die, int r);
    // text: seat + die list, or seat + "+none" (a list is checked as in rollthedice). Dice
    // not rolled this turn are not judged, even when listed.
    void alldone(const QByteArray &text);
    void checkforwin();
    void timer1Timer(int step);

    // True between a turn's all done and the next turn (the pause).
    bool turnFinished() const { return m_state.rollcount >= 5; }

private:
    // A roll or all done from this seat may change the game now.
    bool acceptsTurnRequest(int seat) const;
    void scoreCompleted(int seat, int points);
    void scoreFailed(int seat);
    void clearDice();
    void resetSeatsForNewGame();

    HostState &m_state;
    TurnSink &m_sink;
};
