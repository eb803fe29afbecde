#pragma once

#include "playertally.h"
#include "tableconnector.h"
#include "tablesoptions.h"

#include <cstdint>
#include <functional>
#include <queue>
#include <random>
#include <string>
#include <vector>

// One load process: opens its share of the tables and plays them, four seats each, at a
// player's pace, on one epoll loop with a timer heap (nothing runs while nothing is due).
// The parent steers it over `controlFd` with one word a line: "measure" starts the
// measured window, "quiet" stops every player, "report" asks for the tally, "close"
// closes every connection and ends the loop. The process says "open" once all its tables
// are open (or given up).
class TablesPlayer
{
public:
    TablesPlayer(const TablesOptions &options, int firstTable, int endTable, int controlFd);
    ~TablesPlayer();
    TablesPlayer(const TablesPlayer &) = delete;
    TablesPlayer &operator=(const TablesPlayer &) = delete;

    // Runs until "close" or until the parent goes; the process exit code.
    int run();

private:
    enum class Stage { Idle, Connecting, Preamble, Seated };
    enum class Ask { None, Roll, AllDone };
    enum class Action { None, Roll, AllDone, StartGame };

    struct Seat
    {
        int fd = -1;
        int table = 0; // local index
        int slot = 0;  // 0 opens the table (entry 1)
        int entry = 0; // the entry the table gave
        Stage stage = Stage::Idle;
        bool wantsOutput = false;
        bool redirected = false;
        std::string in;
        std::string out;
        std::size_t sent = 0;
        Action next = Action::None;
        unsigned actionToken = 0;
        Ask asked = Ask::None;
        unsigned askToken = 0;
        std::int64_t askedAt = 0;
        bool askedWhileMeasuring = false;
        int rollsPlanned = 0;
    };
    struct Table
    {
        std::string code;
        int loggedIn = 0;
        bool open = false;
        bool failed = false;
    };
    struct Timer
    {
        std::int64_t due;
        int seat;
        unsigned token;
        bool answerDue; // else: the seat's next action
        bool operator>(const Timer &o) const { return due > o.due; }
    };

    int seatIndex(int table, int slot) const { return table * m_slots + slot; }
    Seat &seatOf(int table, int slot) { return m_seats[std::size_t(seatIndex(table, slot))]; }
    long globalConnection(const Seat &s) const { return long(m_firstTable + s.table) * m_slots + s.slot; }
    const Endpoint &openingServer(int table) const;

    void openNextTables();
    void connect(int index, const Endpoint &server);
    void connected(int index);
    void watch(int index);
    void queue(int index, const std::string &message);
    void flush(int index);
    void readFrom(int index);
    void closeSeat(int index);
    void lost(int index, long PlayerTally::*counter);
    void failTable(int table, long PlayerTally::*counter);
    void tableOpened(int table);
    void finishOpening(int table);

    void handle(int index, const std::string &message);
    void handleGame(int index, const std::string &message);
    void schedule(int index, Action action, std::int64_t delayMicros);
    void ask(int index, Ask what, const std::string &message);
    void answered(int index, Ask what);
    void runTimers();
    void act(int index);
    std::int64_t paced();

    void readControl();
    void command(const std::string &word);
    void tell(const std::string &text);

    const TablesOptions &m_options;
    const int m_firstTable;
    const int m_slots;
    const int m_controlFd;
    int m_epoll = -1;
    std::vector<Seat> m_seats;
    std::vector<Table> m_tables;
    TableConnector m_connector;
    std::priority_queue<Timer, std::vector<Timer>, std::greater<>> m_timers;
    std::mt19937 m_random;
    PlayerTally m_tally;
    std::string m_controlIn;
    int m_nextTable = 0;
    int m_opening = 0;
    int m_settled = 0; // tables open or given up
    bool m_measuring = false;
    bool m_quiet = false;
    bool m_done = false;
};
