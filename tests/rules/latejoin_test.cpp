// Late join: what a player who logs in during a game is told, one row per game situation.
#include "latejoin.h"

#include <gtest/gtest.h>

namespace {

struct Situation
{
    int current = 1;
    int rolls = 1;
    std::array<int, 5> phases{0, 3, 2, 1, 1};
    std::array<int, 5> scores{0, 60, 35, 0, 0};
    QList<protocol::DieFace> dice; // die, value, colour
    QList<protocol::SheetEntry> sheet;
};

HostState stateFor(const Situation &s)
{
    HostState state;
    state.gameon = true;
    state.currentplayer = s.current;
    state.rollcount = s.rolls;
    state.roundno = 4;
    for (int seat = 1; seat <= 4; ++seat) {
        state.seats[seat].phase = s.phases[seat];
        state.seats[seat].score = s.scores[seat];
    }
    for (const protocol::DieFace &d : s.dice)
        state.dice[d.die] = TDie{d.value, d.color, false};
    for (const protocol::SheetEntry &e : s.sheet)
        state.seats[e.seat].pscores[e.slot] = e.points;
    return state;
}

TEST(LateJoin, LoadStatsDescribesTheTurnInProgress)
{
    const struct
    {
        const char *name;
        Situation situation;
        int newcomer;
        QByteArray expected;
    } rows[] = {
        {"mid-turn, dice on the table",
         {1, 2, {0, 3, 2, 1, 1}, {0, 60, 35, 0, 0}, {{2, 4, 1}, {5, 9, 3}}, {}},
         6,
         "CMD_loadstats+6+1+3+4+2+60+35+0+0+2+4+1+5+9+3"},
        {"before the first roll",
         {2, 0, {0, 3, 2, 1, 1}, {0, 60, 35, 0, 0}, {}, {}},
         5,
         "CMD_loadstats+5+2+2+4+0+60+35+0+0+none"},
        {"a wild is not listed",
         {3, 1, {0, 1, 1, 5, 1}, {0, 0, 0, 0, 0}, {{1, 0, 2}, {6, 7, 4}}, {}},
         7,
         "CMD_loadstats+7+3+5+4+1+0+0+0+0+6+7+4"},
        {"a seat on turn past the seats reads as the last seat",
         {12, 0, {0, 1, 1, 1, 1}, {0, 0, 0, 0, 0}, {}, {}},
         8,
         "CMD_loadstats+8+4+1+4+0+0+0+0+0+none"},
        {"after the turn's all done",
         {4, 5, {0, 2, 2, 2, 9}, {0, 10, 20, 30, 40}, {{10, 8, 1}}, {}},
         9,
         "CMD_loadstats+9+4+9+4+5+10+20+30+40+10+8+1"},
    };
    for (const auto &r : rows) {
        HostState state = stateFor(r.situation);
        state.numseats = 4;
        EXPECT_EQ(latejoin::loadstats(state, r.newcomer).build().toStdString(), r.expected.toStdString())
            << r.name;
    }
}

TEST(LateJoin, LoadPScoresListsFilledSlotsOnly)
{
    const struct
    {
        const char *name;
        QList<protocol::SheetEntry> sheet;
        QByteArray expected; // empty: not sent
    } rows[] = {
        {"an empty sheet is not sent", {}, ""},
        {"seat and slot order", {{2, 1, 25}, {1, 3, 30}, {1, 1, 20}}, "CMD_loadpscores+6+1+1+20+1+3+30+2+1+25"},
        {"bonus slots 11 and 12", {{4, 11, 40}, {4, 12, 40}}, "CMD_loadpscores+6+4+11+40+4+12+40"},
        {"a slot at 0 or below is left out", {{1, 2, 0}, {3, 4, -5}, {3, 5, 15}}, "CMD_loadpscores+6+3+5+15"},
    };
    for (const auto &r : rows) {
        Situation s;
        s.sheet = r.sheet;
        const auto message = latejoin::loadpscores(stateFor(s), 6);
        EXPECT_EQ(message ? message->build().toStdString() : std::string(), r.expected.toStdString()) << r.name;
    }
}

} // namespace
