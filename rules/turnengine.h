// TurnEngine: the host's game — start, turn order, rolls, all done, scoring, winner.
#pragma once

#include "hoststate.h"
#include "requests.h"

class TurnSink;

// Works on the host state and tells the clients everything through the sink. Requests
// come as the typed messages a client sends; the computer player fills in the same.
//
// Requests the game cannot use are ignored without any change: a roll or all done
// while no game runs, from a seat not on turn, during the pause after the turn's all
// done, with a die list that names a die outside 1 to 10 or a die twice, and a roll once
// three rolls are used (the seat-only roll still means all done).
class TurnEngine
{
public:
    static constexpr int MaxRolls = 3;
    static constexpr int PauseTicks = 5;
    static constexpr int Phase5Bonus = 40;
    static constexpr int Phase5BonusAbove = 220;
    static constexpr int GoneOutBonus = 40;
    static constexpr int TurnOverRolls = 5; // the roll count once a turn's all done is handled

    TurnEngine(HostState &state, TurnSink &sink);

    // Relays the request as it came and starts a new game. A relay longer than a client
    // accepts throws protocol::ProtocolError before anything changes.
    void startgame(const protocol::StartGame &request);
    void findplayer();
    // Rolls the listed dice; an empty list means all done with all ten dice. The first roll
    // of a turn rolls all ten dice whatever the list names.
    void rollthedice(const protocol::RollTheDice &request);
    // Rolls die 1 to 10; a die that already shows a colour always changes it.
    void rolldice(int die);
    // Colour 1 to 4 of face r (1 to 6) of die 1 to 10; 0 for anything outside those.
    static int findcolor(int die, int r);
    // Value of face r (1 to 6) of die 1 to 10: 0 (wild) for r 5 and 6 on dice 1 to 4.
    static int facevalue(int die, int r);
    // Judges the phase with the listed dice and scores the turn. Dice not rolled this turn
    // are not judged, even when listed.
    void alldone(const protocol::AllDone &request);
    void checkforwin();
    void timer1Timer(int step);

    // True between a turn's all done and the next turn (the pause).
    bool turnFinished() const { return m_state.rollcount >= TurnOverRolls; }

private:
    // What a completed phase earned besides its points.
    struct Bonus
    {
        int points = 0;
        protocol::ScoreKind kind = protocol::ScoreKind::Plain;
    };

    bool anyoneTakesPart() const;
    // Moves the turn to the next seat that takes part (a new round at seat 1); returns it.
    int advanceTurn();
    // Adds the phase-5 or going-out bonus of a seat that just completed a phase.
    Bonus awardBonus(int seat);
    // A roll or all done from this seat may change the game now.
    bool acceptsTurnRequest(int seat) const;
    void scoreCompleted(int seat, int points);
    void scoreFailed(int seat);
    // Dice on the table whose judging state is accepted, ascending.
    template <typename Accept>
    QList<int> diceWhere(Accept accept) const;
    void clearDice();
    void resetSeatsForNewGame();

    HostState &m_state;
    TurnSink &m_sink;
};
