// A table's dispatcher fed arbitrary lines from arbitrary entries while a game runs, with a
// driver that holds no sockets and fires the timers only when the input says so.
//
// Input: byte 0 picks which of entries 2..9 are connected (entry 1, the hosting copy, always
// is); then records, each a control byte c and what it needs:
//   c & 15 = 1..9   the bytes up to and including the next 0xFF arrive on entry c & 15;
//                   with c & 0x10 the queue is then drained, else one request is handled
//   c & 15 = 0      the running pause and computer timers fire once
//   c & 15 = 10     the next byte names an entry whose connection closes
//   c & 15 = 11     the next byte names an entry that gets a new connection
//   c & 15 = 12     the closes the table asked for happen
//   c & 15 = 13..15 the next byte n: timers fire and the queue drains, n + 1 times
#include "fuzztargets.h"

#include "gamerandom.h"
#include "table.h"
#include "tabledriver.h"

#include <QList>
#include <algorithm>
#include <cstdio>
#include <utility>

namespace fuzz_hostdispatch {

namespace {

// Entries connected in the table's state have no connection here: nothing is sent and no
// timer runs on its own. A close the table asks for happens when the input says so (later)
// or at once (now), if the same connection still holds the entry.
class Driver : public TableDriver
{
public:
    Driver(const std::uint8_t *data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    qsizetype send(int, const QByteArray &) override { return 0; }
    void close(int entry, When when) override
    {
        const quint64 id = m_table.state().seats[entry].connectionId;
        if (when == When::Now)
            m_table.connectionClosed(entry);
        else
            m_pendingCloses.append({entry, id});
    }
    double nowMs() const override { return m_nowMs; }
    void startTimer(TableTimer, int) override {}
    void stopTimer(TableTimer) override {}

    void run()
    {
        HostState &s = m_table.state();
        const int mask = m_pos < m_size ? m_data[m_pos++] : 0;
        connect(1);
        for (int k = 2; k <= HostState::MaxEntries; ++k) {
            if (mask & (1 << ((k - 2) % 8)))
                connect(k);
        }
        s.botspeedms = 1;
        feed(1, "CMD_startgame+fuzz+0+0+f+\xff");
        drain();
        while (m_pos < m_size) {
            step();
            checkInvariants();
        }
        if (qEnvironmentVariableIsSet("DORVANE_FUZZ_VERBOSE"))
            std::fprintf(stderr, "game %s, round %d, seat on turn %d, scores %d %d %d %d\n",
                         s.gameon ? "on" : "over", s.roundno, s.currentplayer, s.seats[1].score, s.seats[2].score,
                         s.seats[3].score, s.seats[4].score);
    }

private:
    void connect(int k)
    {
        HostState &s = m_table.state();
        if (k < 1 || k > HostState::MaxEntries || s.seats[k].connected)
            return;
        s.seats[k].connected = true;
        s.seats[k].connectionId = ++m_lastId;
        s.conncount = std::max(s.conncount, k);
    }

    void feed(int k, const QByteArray &bytes) { m_table.receive(k, bytes); }

    void drain()
    {
        // Bounded: every handled request leaves the queue.
        for (int i = 0; i < 4096 && m_table.queuedRequests() > 0; ++i)
            m_table.timerFired(TableTimer::Dispatch);
    }

    void fireTimers()
    {
        m_nowMs += Table::PauseStepMs;
        if (m_table.pauseTimerRunning())
            m_table.timerFired(TableTimer::Pause);
        if (m_table.computerTimerRunning())
            m_table.timerFired(TableTimer::Computer);
        m_table.timerFired(TableTimer::LoginDeadline);
    }

    void runCloses()
    {
        const auto closes = std::exchange(m_pendingCloses, {});
        for (const auto &[entry, id] : closes) {
            const TSeat &seat = m_table.state().seats[entry];
            if (seat.connected && seat.connectionId == id)
                m_table.connectionClosed(entry);
        }
    }

    int entryByte() { return m_pos < m_size ? m_data[m_pos++] % HostState::MaxEntries + 1 : 1; }

    void step()
    {
        const int c = m_data[m_pos++];
        const int kind = c & 15;
        if (kind >= 1 && kind <= 9) {
            std::size_t end = m_pos;
            while (end < m_size && m_data[end] != 0xFF)
                ++end;
            if (end < m_size)
                ++end; // the terminator goes with the line
            feed(kind, QByteArray(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(end - m_pos)));
            m_pos = end;
            if (c & 0x10)
                drain();
            else
                m_table.timerFired(TableTimer::Dispatch);
        } else if (kind == 0) {
            fireTimers();
        } else if (kind == 10) {
            m_table.connectionClosed(entryByte());
        } else if (kind == 11) {
            connect(entryByte());
        } else if (kind == 12) {
            runCloses();
        } else {
            const int n = m_pos < m_size ? m_data[m_pos++] : 0;
            for (int i = 0; i <= n; ++i) {
                fireTimers();
                drain();
            }
        }
    }

    void checkInvariants() const
    {
        using fuzzsupport::check;
        const HostState &s = m_table.state();
        check(s.conncount >= 0 && s.conncount <= HostState::MaxEntries, "conncount within the entries");
        check(s.currentplayer >= 0 && s.currentplayer <= s.numseats, "seat on turn is a seat");
        check((s.rollcount >= 0 && s.rollcount <= 3) || s.rollcount == 5, "roll count 0..3 or 5");
        check(m_table.queuedRequests() <= RequestQueue::MaxWaitingLines, "queue bounded in lines");
        check(m_table.queuedBytes() <= RequestQueue::MaxWaitingBytes, "queue bounded in bytes");
        for (int die = 1; die <= NumDice; ++die) {
            check(s.dice[die].value >= 0 && s.dice[die].value <= 10, "die value 0..10");
            check(s.dice[die].color >= 0 && s.dice[die].color <= 4, "die colour 0..4");
        }
        for (int seat = 1; seat <= s.numseats; ++seat) {
            check(s.seats[seat].phase >= 0 && s.seats[seat].phase <= 11, "phase 0..11");
            check(s.seats[seat].status != SeatStatus::PlayingOut || s.someoneout,
                  "a seat plays out only once someone has gone out");
            check(s.seats[seat].score >= 0, "score not negative");
        }
    }

    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    quint64 m_lastId = 1000;
    double m_nowMs = 0;
    QList<std::pair<int, quint64>> m_pendingCloses;
    Table m_table{*this};
};

} // namespace

int fuzzOne(const std::uint8_t *data, std::size_t size)
{
    seedGameRandom(size); // the same input always rolls the same dice
    Driver(data, size).run();
    return 0;
}

} // namespace fuzz_hostdispatch
