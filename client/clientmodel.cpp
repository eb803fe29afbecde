#include "clientmodel.h"

#include "clientstate.h"

#include <utility>

QString SheetCell::text() const
{
    switch (kind) {
    case Kind::Points:
        return QString::number(points);
    case Kind::Dash:
        return QStringLiteral("-");
    case Kind::Empty:
        break;
    }
    return QString();
}

QString SeatModel::shownName() const
{
    return status == SeatOccupant::Empty ? ClientModel::WaitingName : name;
}

QString SeatModel::resultText() const
{
    switch (result) {
    case Result::Scored:
        return QStringLiteral("+%1").arg(resultPoints);
    case Result::Failed:
        return QStringLiteral("-");
    case Result::None:
        break;
    }
    return QString();
}

QString ClientModel::seatName(int seat) const
{
    return ClientState::isSeat(seat) ? seats[seat].shownName() : QString();
}

bool ClientModel::ownTurn(const ClientState &connection) const
{
    return currentplayer != 0 && currentplayer == connection.myid;
}

bool ClientModel::diceTouchable(const ClientState &connection) const
{
    return ownTurn(connection) && !shuffling();
}

TurnButtons ClientModel::turnButtons(const ClientState &connection) const
{
    const bool own = ownTurn(connection);
    TurnButtons shown;
    shown.allDone = own && step == TurnStep::Rolled;
    shown.roll = own && (step == TurnStep::Shuffling || (step == TurnStep::Rolled && rollsUsed < 3));
    shown.start = connection.amhost && stage != GameStage::Running;
    return shown;
}

void ClientModel::clearScores()
{
    for (int s = 1; s <= ClientState::numseats; ++s) {
        SeatModel &seat = seats[s];
        seat.total = 0;
        seat.result = SeatModel::Result::None;
        seat.sheet.fill(SheetCell{});
    }
    resetAllDice();
}

void ClientModel::resetDie(int n)
{
    dice[n] = TDie{};
    dieDrawn[n] = false;
    dieRaised[n] = false;
}

void ClientModel::resetAllDice()
{
    for (int n = 1; n <= NumDice; ++n)
        resetDie(n);
}

void ClientModel::raiseAllDice(bool raised)
{
    for (int n = 1; n <= NumDice; ++n)
        dieRaised[n] = raised;
}

void ClientModel::sortDice()
{
    // Bubble sort: equal values keep their order.
    for (int pass = 1; pass < NumDice; ++pass) {
        for (int i = 2; i <= NumDice; ++i) {
            if (dice[diceorder[i]].value < dice[diceorder[i - 1]].value)
                std::swap(diceorder[i], diceorder[i - 1]);
        }
    }
}

void ClientModel::highlightPhase(int phase)
{
    if (phase == shownphase || phase < 1 || phase > NumPhases)
        return;
    for (int p = 1; p < phase; ++p)
        phaseMarks[p] = PhaseMark::Done;
    phaseMarks[phase] = PhaseMark::Current;
    illustration = phase;
    shownphase = phase;
}

void ClientModel::advanceOwnPhase()
{
    for (int p = 1; p <= shownphase && p <= NumPhases; ++p)
        phaseMarks[p] = PhaseMark::Done;
    illustration.reset();
    shownphase += 1;
    if (shownphase <= NumPhases) {
        phaseMarks[shownphase] = PhaseMark::Current;
        illustration = shownphase;
    }
}

void ClientModel::markAllPhases(PhaseMark mark)
{
    for (int p = 1; p <= NumPhases; ++p)
        phaseMarks[p] = mark;
}

ClientModel ClientModel::afterLeaving() const
{
    ClientModel left;
    left.diceorder = diceorder;
    left.phaseLine.clear();
    left.winnerLine.clear();
    return left;
}
