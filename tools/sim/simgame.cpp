#include "simgame.h"

#include "computerplayer.h"
#include "hoststate.h"
#include "turnengine.h"
#include "virtualclocksink.h"

namespace {

void seatTable(HostState &state, int seats)
{
    state.seats[2].botname = "Klot";
    state.seats[3].botname = "Klock";
    state.seats[4].botname = "Kling";
    const int connected[] = {1, 3, 4};
    for (int seat : connected) {
        if (seat == 1 || seats == 4) {
            state.seats[seat].connected = true; // no socket: the sink sends nothing anyway
            state.seats[seat].name = "seat" + QByteArray::number(seat);
            state.conncount = seat;
        }
    }
}

} // namespace

SimGame::SimGame(int seats, int botspeedms)
    : m_seats(seats)
    , m_botspeedms(botspeedms)
{
}

SimResult SimGame::play() const
{
    HostState state;
    seatTable(state, m_seats);
    state.botspeedms = m_botspeedms;

    VirtualClockSink sink;
    TurnEngine engine(state, sink);
    ComputerPlayer player(state, engine, sink);
    sink.attach(&engine, &player);

    engine.startgame(protocol::StartGame{"sim"});
    // startgame cleared just watch; switch it on as a player would, and let the computer
    // take over the turn in progress the way the host's just-watch handling does.
    for (int seat : {1, 3, 4}) {
        if (!state.seats[seat].connected)
            continue;
        state.seats[seat].justwatching = true;
        if (seat == state.currentplayer)
            player.armStep(ComputerPlayer::RollStep);
    }
    sink.runUntilIdle(MaxEvents);

    SimResult result;
    result.finished = !state.gameon;
    int best = 0;
    for (int seat = 1; seat <= 4; ++seat) {
        result.scores[seat] = state.seats[seat].score;
        best = std::max(best, result.scores[seat]);
    }
    for (int seat = 1; seat <= 4; ++seat)
        result.winners[seat] = result.scores[seat] == best;
    result.rounds = state.roundno;
    result.messages = sink.messageCount();
    result.messageBytes = sink.messageBytes();
    result.virtualMs = sink.now();
    result.winnerMessage = sink.lastMessage();
    return result;
}
