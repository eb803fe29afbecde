#include "tablesplayer.h"

#include "loadclient.h"

#include <cerrno>
#include <cstdlib>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t ControlIndex = 0xffffffffu;
constexpr char Terminator = char(0xFF);
const std::string EveryDie = "+1+2+3+4+5+6+7+8+9+10";

bool startsWith(const std::string &s, const char *prefix)
{
    return s.rfind(prefix, 0) == 0;
}

// The seat number that follows a command's '+': "CMD_nextplayer+3+1+2" gives 3.
int firstNumber(const std::string &message, std::size_t prefixLength)
{
    return std::atoi(message.c_str() + prefixLength);
}

// The second number: the roll count of "CMD_createdice+3+2+...".
int secondNumber(const std::string &message, std::size_t prefixLength)
{
    const std::size_t plus = message.find('+', prefixLength);
    return plus == std::string::npos ? 0 : std::atoi(message.c_str() + plus + 1);
}

} // namespace

TablesPlayer::TablesPlayer(const TablesOptions &options, int firstTable, int endTable, int controlFd)
    : m_options(options)
    , m_firstTable(firstTable)
    , m_slots(options.connectionsPerTable())
    , m_controlFd(controlFd)
    , m_seats(std::size_t(endTable - firstTable) * std::size_t(m_slots))
    , m_tables(std::size_t(endTable - firstTable))
    , m_random(std::uint32_t(firstTable * 7919 + 17))
{
    for (std::size_t i = 0; i < m_seats.size(); ++i) {
        m_seats[i].table = int(i) / m_slots;
        m_seats[i].slot = int(i) % m_slots;
    }
}

TablesPlayer::~TablesPlayer()
{
    for (std::size_t i = 0; i < m_seats.size(); ++i)
        closeSeat(int(i));
    if (m_epoll >= 0)
        ::close(m_epoll);
}

int TablesPlayer::run()
{
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event control{};
    control.events = EPOLLIN;
    control.data.u32 = ControlIndex;
    if (m_epoll < 0 || ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_controlFd, &control) != 0)
        return 1;
    if (m_tables.empty())
        tell("open\n");
    openNextTables();
    std::vector<epoll_event> events(1024);
    while (!m_done) {
        int timeoutMs = -1;
        if (!m_timers.empty()) {
            const std::int64_t wait = m_timers.top().due - nowMicros();
            timeoutMs = wait <= 0 ? 0 : int((wait + 999) / 1000);
        }
        const int n = ::epoll_wait(m_epoll, events.data(), int(events.size()), timeoutMs);
        if (n < 0 && errno != EINTR)
            return 1;
        for (int i = 0; i < n && !m_done; ++i) {
            const std::uint32_t index = events[std::size_t(i)].data.u32;
            const std::uint32_t what = events[std::size_t(i)].events;
            if (index == ControlIndex) {
                readControl();
                continue;
            }
            Seat &s = m_seats[index];
            if (s.fd < 0)
                continue;
            if (s.stage == Stage::Connecting) {
                if (what & (EPOLLOUT | EPOLLERR | EPOLLHUP))
                    connected(int(index));
                continue;
            }
            if (what & EPOLLOUT)
                flush(int(index));
            if (s.fd >= 0 && (what & (EPOLLIN | EPOLLHUP | EPOLLERR)))
                readFrom(int(index));
        }
        runTimers();
    }
    return 0;
}

// --- connections -------------------------------------------------------------------------

const Endpoint &TablesPlayer::openingServer(int table) const
{
    const int global = m_firstTable + table;
    if (!m_options.hosts.empty())
        return m_options.hosts[std::size_t(global)];
    return m_options.servers->at(global % m_options.servers->size());
}

void TablesPlayer::openNextTables()
{
    while (m_opening < m_options.openAtOnce && m_nextTable < int(m_tables.size())) {
        const int table = m_nextTable++;
        ++m_opening;
        connect(seatIndex(table, 0), openingServer(table));
    }
}

void TablesPlayer::connect(int index, const Endpoint &server)
{
    Seat &s = m_seats[std::size_t(index)];
    const int fd = m_connector.start(server, m_options.sources.addressFor(globalConnection(s)));
    if (fd < 0) {
        lost(index, &PlayerTally::connectFailed);
        return;
    }
    s.fd = fd;
    s.stage = Stage::Connecting;
    s.in.clear();
    s.out.clear();
    s.sent = 0;
    s.entry = 0;
    s.wantsOutput = true;
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLOUT;
    ev.data.u32 = std::uint32_t(index);
    ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev);
}

void TablesPlayer::connected(int index)
{
    Seat &s = m_seats[std::size_t(index)];
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        lost(index, &PlayerTally::connectFailed);
        return;
    }
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof peer;
    if (::getpeername(s.fd, reinterpret_cast<sockaddr *>(&peer), &peerLength) != 0)
        return; // not connected yet
    s.stage = Stage::Preamble;
    if (!m_options.hosts.empty())
        watch(index); // a game host speaks first
    else if (s.slot == 0)
        queue(index, "CMD_opentable+");
    else
        queue(index, "CMD_jointable+" + m_tables[std::size_t(s.table)].code);
}

void TablesPlayer::watch(int index)
{
    Seat &s = m_seats[std::size_t(index)];
    if (s.fd < 0)
        return;
    const bool wants = s.stage == Stage::Connecting || s.sent < s.out.size();
    if (wants == s.wantsOutput)
        return;
    s.wantsOutput = wants;
    epoll_event ev{};
    ev.events = EPOLLIN | (wants ? EPOLLOUT : 0u);
    ev.data.u32 = std::uint32_t(index);
    ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, s.fd, &ev);
}

void TablesPlayer::queue(int index, const std::string &message)
{
    Seat &s = m_seats[std::size_t(index)];
    if (s.fd < 0)
        return;
    s.out += message;
    s.out += Terminator;
    flush(index);
}

void TablesPlayer::flush(int index)
{
    Seat &s = m_seats[std::size_t(index)];
    while (s.fd >= 0 && s.sent < s.out.size()) {
        const ssize_t n = ::send(s.fd, s.out.data() + s.sent, s.out.size() - s.sent, MSG_NOSIGNAL);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            lost(index, &PlayerTally::closedByPeer);
            return;
        }
        s.sent += std::size_t(n);
    }
    if (s.sent == s.out.size()) {
        s.out.clear();
        s.sent = 0;
    }
    watch(index);
}

void TablesPlayer::readFrom(int index)
{
    Seat &s = m_seats[std::size_t(index)];
    char buffer[16384];
    while (s.fd >= 0) {
        const ssize_t n = ::recv(s.fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            lost(index, &PlayerTally::closedByPeer);
            return;
        }
        s.in.append(buffer, std::size_t(n));
    }
    std::size_t start = 0;
    for (std::size_t end; s.fd >= 0 && (end = s.in.find(Terminator, start)) != std::string::npos; start = end + 1)
        handle(index, s.in.substr(start, end - start));
    if (s.fd >= 0)
        s.in.erase(0, start);
}

void TablesPlayer::closeSeat(int index)
{
    Seat &s = m_seats[std::size_t(index)];
    if (s.fd >= 0)
        ::close(s.fd); // leaves the epoll set with it
    s.fd = -1;
    s.stage = Stage::Idle;
    s.next = Action::None;
    s.asked = Ask::None;
    ++s.actionToken;
    ++s.askToken;
    s.in.clear();
    s.out.clear();
    s.sent = 0;
}

void TablesPlayer::lost(int index, long PlayerTally::*counter)
{
    Seat &s = m_seats[std::size_t(index)];
    closeSeat(index);
    Table &t = m_tables[std::size_t(s.table)];
    if (t.open)
        ++(m_tally.*counter);
    else if (!t.failed)
        failTable(s.table, counter);
}

void TablesPlayer::failTable(int table, long PlayerTally::*counter)
{
    ++(m_tally.*counter);
    ++m_tally.failedTables;
    m_tables[std::size_t(table)].failed = true;
    for (int slot = 0; slot < m_slots; ++slot)
        closeSeat(seatIndex(table, slot));
    finishOpening(table);
}

void TablesPlayer::tableOpened(int table)
{
    m_tables[std::size_t(table)].open = true;
    ++m_tally.opened;
    finishOpening(table);
}

void TablesPlayer::finishOpening(int)
{
    --m_opening;
    if (++m_settled == int(m_tables.size()))
        tell("open\n");
    openNextTables();
}

// --- the table's messages ------------------------------------------------------------------

void TablesPlayer::handle(int index, const std::string &message)
{
    Seat &s = m_seats[std::size_t(index)];
    Table &t = m_tables[std::size_t(s.table)];
    if (s.stage == Stage::Seated) {
        handleGame(index, message);
        return;
    }
    if (startsWith(message, "CMD_tableopened+") && s.slot == 0 && m_options.servers) {
        t.code = message.substr(std::string("CMD_tableopened+").size());
        const int shard = m_options.servers->shardOf(t.code);
        const Endpoint &server = shard < 0 ? openingServer(s.table) : m_options.servers->at(shard);
        for (int slot = 1; slot < m_slots; ++slot)
            connect(seatIndex(s.table, slot), server);
    } else if (startsWith(message, "CMD_tableat+")) {
        const std::optional<Endpoint> there = Endpoint::parse(message.substr(std::string("CMD_tableat+").size()));
        if (s.redirected || !there) {
            lost(index, &PlayerTally::refused);
            return;
        }
        closeSeat(index);
        s.redirected = true;
        ++m_tally.redirected;
        connect(index, *there);
    } else if (startsWith(message, "CMD_full+") || startsWith(message, "CMD_notable+")) {
        lost(index, &PlayerTally::refused);
    } else if (startsWith(message, "CMD_sendlogininfo+")) {
        s.entry = firstNumber(message, std::string("CMD_sendlogininfo+").size());
        s.stage = Stage::Seated;
        if (m_options.churn > 0 && s.slot != 0) {
            // Opened, joined, and left: both connections go at once.
            closeSeat(seatIndex(s.table, 0));
            closeSeat(index);
            tableOpened(s.table);
            return;
        }
        queue(index, "CMD_logininfo+" + std::to_string(s.entry) + "+1.0.9+player" + std::to_string(s.slot + 1));
        if (!m_options.hosts.empty() && s.slot == 0) {
            // A game host seats connections in the order they come: entry 1 first.
            for (int slot = 1; slot < m_slots; ++slot)
                connect(seatIndex(s.table, slot), openingServer(s.table));
        }
    }
}

void TablesPlayer::handleGame(int index, const std::string &message)
{
    Seat &s = m_seats[std::size_t(index)];
    Table &t = m_tables[std::size_t(s.table)];
    if (startsWith(message, "CMD_newplayerinfo+")) {
        if (s.slot == 0 && ++t.loggedIn == m_slots && !t.open) {
            tableOpened(s.table);
            schedule(index, Action::StartGame, paced());
        }
    } else if (startsWith(message, "CMD_nextplayer+")) {
        if (firstNumber(message, std::string("CMD_nextplayer+").size()) == s.entry) {
            s.rollsPlanned = 1 + int(m_random() % 3);
            schedule(index, Action::Roll, paced());
        }
    } else if (startsWith(message, "CMD_createdice+")) {
        const std::size_t prefix = std::string("CMD_createdice+").size();
        if (firstNumber(message, prefix) != s.entry || s.asked != Ask::Roll)
            return;
        answered(index, Ask::Roll);
        schedule(index, secondNumber(message, prefix) < s.rollsPlanned ? Action::Roll : Action::AllDone, paced());
    } else if (startsWith(message, "CMD_scores+") || startsWith(message, "CMD_noscore+")) {
        const std::size_t prefix = message.find('+') + 1;
        if (firstNumber(message, prefix) == s.entry && s.asked == Ask::AllDone)
            answered(index, Ask::AllDone);
    } else if (startsWith(message, "CMD_winner+") && s.slot == 0) {
        ++m_tally.games;
        schedule(index, Action::StartGame, paced());
    }
}

std::int64_t TablesPlayer::paced()
{
    // A player's pace, give or take a fifth, so that the tables do not move in step.
    const std::int64_t pace = std::int64_t(m_options.paceMs) * 1000;
    return pace * 8 / 10 + std::int64_t(m_random() % std::uint32_t(pace * 4 / 10 + 1));
}

void TablesPlayer::schedule(int index, Action action, std::int64_t delayMicros)
{
    Seat &s = m_seats[std::size_t(index)];
    s.next = action;
    m_timers.push(Timer{nowMicros() + delayMicros, index, ++s.actionToken, false});
}

void TablesPlayer::ask(int index, Ask what, const std::string &message)
{
    Seat &s = m_seats[std::size_t(index)];
    s.asked = what;
    s.askedAt = nowMicros();
    s.askedWhileMeasuring = m_measuring;
    if (m_measuring)
        ++m_tally.requests;
    m_timers.push(Timer{s.askedAt + std::int64_t(m_options.answerTimeoutMs) * 1000, index, ++s.askToken, true});
    queue(index, message);
}

void TablesPlayer::answered(int index, Ask what)
{
    Seat &s = m_seats[std::size_t(index)];
    if (s.askedWhileMeasuring) {
        (what == Ask::Roll ? m_tally.rolls : m_tally.allDone).record(nowMicros() - s.askedAt);
        ++m_tally.answers;
    }
    s.asked = Ask::None;
    ++s.askToken;
}

void TablesPlayer::runTimers()
{
    const std::int64_t now = nowMicros();
    while (!m_timers.empty() && m_timers.top().due <= now) {
        const Timer timer = m_timers.top();
        m_timers.pop();
        Seat &s = m_seats[std::size_t(timer.seat)];
        if (s.fd < 0)
            continue;
        if (timer.answerDue) {
            if (timer.token != s.askToken || s.asked == Ask::None)
                continue;
            if (s.askedWhileMeasuring)
                ++m_tally.unanswered;
            s.asked = Ask::None;
            // The turn may be stuck on the lost answer: end it, so the table plays on.
            if (!m_quiet)
                schedule(timer.seat, Action::AllDone, 0);
        } else if (timer.token == s.actionToken && !m_quiet) {
            act(timer.seat);
        }
    }
}

void TablesPlayer::act(int index)
{
    Seat &s = m_seats[std::size_t(index)];
    const std::string entry = std::to_string(s.entry);
    const Action action = s.next;
    s.next = Action::None;
    switch (action) {
    case Action::Roll:
        ask(index, Ask::Roll, "CMD_rollthedice+" + entry + EveryDie);
        break;
    case Action::AllDone:
        ask(index, Ask::AllDone, "CMD_alldone+" + entry + EveryDie);
        break;
    case Action::StartGame:
        queue(index, "CMD_startgame+player1+0+0+f+");
        break;
    case Action::None:
        break;
    }
}

// --- the parent's commands -----------------------------------------------------------------

void TablesPlayer::readControl()
{
    char buffer[256];
    const ssize_t n = ::recv(m_controlFd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        m_done = true; // the parent has gone
        return;
    }
    if (n < 0)
        return;
    m_controlIn.append(buffer, std::size_t(n));
    for (std::size_t end; (end = m_controlIn.find('\n')) != std::string::npos;) {
        const std::string word = m_controlIn.substr(0, end);
        m_controlIn.erase(0, end + 1);
        command(word);
    }
}

void TablesPlayer::command(const std::string &word)
{
    if (word == "measure") {
        m_measuring = true;
    } else if (word == "quiet") {
        m_quiet = true;
        m_measuring = false;
    } else if (word == "report") {
        tell("report\n" + m_tally.serialize());
    } else if (word == "close") {
        for (std::size_t i = 0; i < m_seats.size(); ++i)
            closeSeat(int(i));
        m_done = true;
    }
}

void TablesPlayer::tell(const std::string &text)
{
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = ::send(m_controlFd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        sent += std::size_t(n);
    }
}
