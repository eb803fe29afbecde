// ClientModel: the game as this client shows it, as plain data the board is drawn from.
#pragma once

#include "clientstate.h"
#include "die.h"

#include <QString>
#include <array>
#include <optional>

// Who sits in a seat, as this client shows it (the host keeps its own status of play).
enum class SeatOccupant {
    Empty,    // nobody sits there; the board shows "<Waiting>"
    Player,   // a connected player, named by the host
    Computer, // seat 2 filled with the computer player by this client
};

// How a phase list entry is shown: white, silver (behind the player), bold light green (current).
enum class PhaseMark { Plain, Done, Current };

// Where the turn on the table stands, as far as the turn buttons care.
enum class TurnStep {
    Idle,      // no turn running
    Shuffling, // a turn began; its first dice are not here yet
    Rolled,    // dice are on the table and may be kept, rolled again or handed in
    Judged,    // the host scored the turn
};

enum class GameStage { NotStarted, Running, Over };

// One score sheet entry: empty, points, or "-" (marked off, no bonus).
struct SheetCell
{
    enum class Kind { Empty, Points, Dash };
    Kind kind = Kind::Empty;
    int points = 0;

    static SheetCell of(int points) { return {Kind::Points, points}; }
    static SheetCell dash() { return {Kind::Dash, 0}; }
    QString text() const;
};

struct SeatModel
{
    enum class Result { None, Scored, Failed }; // the last turn's result beside the name

    SeatOccupant status = SeatOccupant::Empty;
    QString name; // empty while the seat is empty
    bool watching = false;
    int total = 0;
    Result result = Result::None;
    int resultPoints = 0;
    std::array<SheetCell, 13> sheet{}; // rows 1 to 12: phases 1 to 10, then the two bonuses

    // The name as the board and the status lines show it.
    QString shownName() const;
    QString resultText() const;
};

// Which of the three turn buttons are shown; a function of the model and the connection only.
struct TurnButtons
{
    bool roll = false;
    bool allDone = false;
    bool start = false;
};

struct ClientModel
{
    static constexpr int NumPhases = 10;
    static constexpr int NumRows = 12;
    static inline const QString WaitingName = QStringLiteral("<Waiting>");
    static inline const QString ComputerName = QStringLiteral("Klot");
    static inline const QString WelcomeLine = QStringLiteral("Welcome to Dorvane by Vorn22 Software");
    static inline const QString WinnerTitle = QStringLiteral("Winner!"); // before any game ended

    std::array<SeatModel, ClientState::numseats + 1> seats{}; // 1 to 4
    int currentplayer = 0; // seat on turn; 0 = nobody, or handed back to the host
    TurnStep step = TurnStep::Idle;
    GameStage stage = GameStage::NotStarted; // as this client saw the game start and end
    int rollsUsed = 3;                       // the roll counter picture (0 to 3 shown)
    int round = 0;
    int markerSeat = 0;        // the turn marker stands behind this seat; 0 = where the board put it
    bool justWatching = false; // the own "Just Watch" mark, as the host last answered

    int shownphase = 0; // the own phase highlighted in the phase list; 0 = none
    std::array<PhaseMark, NumPhases + 1> phaseMarks{};
    std::optional<int> illustration = 0; // picture of the phase illustration list; none = empty

    QString phaseLine = WelcomeLine;
    QString statusLine;
    QString winnerLine = WinnerTitle;

    DiceArray dice{};                          // 1 to 10
    std::array<bool, NumDice + 1> dieDrawn{};  // the die shows body and face (else it is blank)
    std::array<bool, NumDice + 1> dieRaised{}; // y 5 instead of 15
    std::array<int, NumDice + 1> diceorder{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}; // position -> die

    // "<Waiting>" for an empty seat, the seat's name otherwise; empty for a non-seat.
    QString seatName(int seat) const;
    bool ownTurn(const ClientState &connection) const;
    bool diceTouchable(const ClientState &connection) const;
    bool shuffling() const { return step == TurnStep::Shuffling; }
    TurnButtons turnButtons(const ClientState &connection) const;

    // Totals "0", results, sheets and every die back to blank.
    void clearScores();
    // Die n blank, lying, value and colour 0, not selected.
    void resetDie(int n);
    void resetAllDice();
    void raiseAllDice(bool raised);
    // Stable sort of the display order by die value.
    void sortDice();
    // Phases before p silver, p current, its illustration shown; nothing when p is already shown.
    void highlightPhase(int phase);
    // The own phase is done: the list moves on to the next one.
    void advanceOwnPhase();
    void markAllPhases(PhaseMark mark);

    // The board of a main window that left its game: no texts, nobody seated, the dice order kept.
    ClientModel afterLeaving() const;
};
