#include "serverform.h"
#include "ports.h"

#include "announcements.h"
#include "protocol.h"

#include <QMetaObject>
#include <algorithm>
#include <arpa/inet.h>
#include <cmath>
#include <netinet/in.h>

namespace {

bool validEntry(int entry)
{
    return entry >= 1 && entry <= HostState::MaxEntries;
}

} // namespace

TServer::TServer(QObject *parent)
    : QObject(parent)
{
    Sock1.setPortName(QString::number(ports::Game));
    Sock1.OnRead = [this](TSock *sender, int count) { Sock1Read(sender, count); };
    Sock1.OnAccept = [this](TSock *sender) { Sock1Accept(sender); };
    tempsock.OnDisconnect = [this](TSock *sender) { tempsockDisconnect(sender); };
    tempsock.OnInfo = [this](TSock *sender, TSocketInfo kind, const QString &msg) {
        tempsockInfo(sender, kind, msg);
    };

    m_clock.start();
    socktimer.setInterval(scaled(SockTimerMs));
    connect(&socktimer, &QTimer::timeout, this, [this] { m_table.timerFired(TableTimer::Dispatch); });
    connect(&timer1, &StepTimer::fired, this, [this] { m_table.timerFired(TableTimer::Pause); });
    connect(&computertimer, &StepTimer::fired, this, [this] { m_table.timerFired(TableTimer::Computer); });
    connect(&logintimer, &StepTimer::fired, this, [this] { m_table.timerFired(TableTimer::LoginDeadline); });
}

TServer::~TServer()
{
    m_table.stop();
    socktimer.stop();
    // The accepted sockets die with the listener after this object's state is gone: make
    // sure their close reports reach nobody.
    Sock1.OnRead = nullptr;
    Sock1.OnAccept = nullptr;
    for (TSock *sock : Sock1.findChildren<TSock *>(Qt::FindDirectChildrenOnly)) {
        sock->OnRead = nullptr;
        sock->OnDisconnect = nullptr;
        sock->OnInfo = nullptr;
    }
}

void TServer::setTimeScale(double scale)
{
    m_scaledBaseMs = nowMs();
    m_realBaseMs = m_clock.elapsed();
    m_timeScale = (std::isfinite(scale) && scale >= 0) ? scale : 1.0;
    socktimer.setInterval(scaled(SockTimerMs));
    timer1.setTimeScale(m_timeScale);
    computertimer.setTimeScale(m_timeScale);
    logintimer.setTimeScale(m_timeScale);
}

double TServer::nowMs() const
{
    const double real = double(m_clock.elapsed() - m_realBaseMs);
    // At scale 0 every interval is over at once: so is every wait for a relay budget.
    return m_scaledBaseMs + (m_timeScale > 0 ? real / m_timeScale : real * 1e9);
}

int TServer::scaled(int ms) const
{
    return std::max(0, int(std::lround(ms * m_timeScale)));
}

void TServer::startTimer(TableTimer timer, int intervalMs)
{
    switch (timer) {
    case TableTimer::Dispatch:
        if (!socktimer.isActive())
            socktimer.start();
        return;
    case TableTimer::Pause:
        timer1.arm(intervalMs, 0);
        return;
    case TableTimer::Computer:
        computertimer.arm(intervalMs, 0);
        return;
    case TableTimer::LoginDeadline:
        logintimer.arm(std::max(intervalMs, 1), 0);
        return;
    }
}

void TServer::stopTimer(TableTimer timer)
{
    switch (timer) {
    case TableTimer::Dispatch:
        socktimer.stop();
        return;
    case TableTimer::Pause:
        timer1.disable();
        return;
    case TableTimer::Computer:
        computertimer.disable();
        return;
    case TableTimer::LoginDeadline:
        logintimer.disable();
        return;
    }
}

void TServer::fireTimersNow()
{
    if (timer1.running())
        m_table.timerFired(TableTimer::Pause);
    if (computertimer.running()) {
        computertimer.disable(); // a single-shot timer is disarmed as it fires
        m_table.timerFired(TableTimer::Computer);
    }
}

// --- connections -------------------------------------------------------------------------

void TServer::Sock1Accept(TSock *)
{
    const int entry = m_table.entryForNewConnection();
    if (entry == 0)
        refuseFull();
    else
        acceptInto(entry);
}

TSock *TServer::acceptPending()
{
    TSock *sock = nullptr;
    try {
        if (!Sock1.Accept(sock))
            return nullptr;
    } catch (const ESockException &) {
        return nullptr;
    }
    return sock;
}

void TServer::detachHandlers(TSock *sock)
{
    sock->OnRead = nullptr;
    sock->OnDisconnect = nullptr;
    sock->OnInfo = nullptr;
}

void TServer::acceptInto(int entry)
{
    TSock *sock = acceptPending();
    if (!sock)
        return;
    TSock *&held = m_sockets[entry];
    if (held && held != sock) {
        // The entry's previous connection closed long ago; nothing refers to it any more.
        detachHandlers(held);
        held->deleteLater();
    }
    held = sock;
    const bool hosting = !m_acceptedAny && loopbackPeer(sock->HostName());
    m_acceptedAny = true;
    sock->Tag = entry;
    sock->OnRead = [this](TSock *sender, int count) { Sock1Read(sender, count); };
    sock->OnDisconnect = tempsock.OnDisconnect;
    sock->OnInfo = tempsock.OnInfo;
    m_table.connectionOpened(entry, hosting);
}

bool TServer::loopbackPeer(const QString &address)
{
    const QByteArray text = address.toLatin1();
    in_addr v4{};
    if (::inet_pton(AF_INET, text.constData(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (::inet_pton(AF_INET6, text.constData(), &v6) != 1)
        return false;
    return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
}

int TServer::hostingEntry() const
{
    for (int entry = 1; entry <= HostState::MaxEntries; ++entry) {
        if (m_table.exempt(entry))
            return entry;
    }
    return 0;
}

void TServer::refuseFull()
{
    TSock *sock = acceptPending();
    if (!sock)
        return;
    detachHandlers(sock);
    try {
        sock->Send(protocol::frame(protocol::Full{}.build()));
    } catch (const ESockException &) {
    }
    delete sock;
}

int TServer::entryOf(TSock *sock) const
{
    const int entry = sock ? sock->Tag : 0;
    return validEntry(entry) && m_sockets[entry] == sock ? entry : 0;
}

void TServer::Sock1Read(TSock *Sender, int)
{
    QByteArray bytes;
    try {
        bytes = Sender->Receive();
    } catch (const ESockException &) {
        return;
    }
    m_table.receive(entryOf(Sender), bytes);
}

void TServer::tempsockDisconnect(TSock *Sender)
{
    const int entry = entryOf(Sender);
    if (entry != 0 && state().seats[entry].connected)
        Sender->Close();
}

void TServer::tempsockInfo(TSock *sender, TSocketInfo SocketInfo, const QString &Msg)
{
    const int entry = entryOf(sender);
    if (entry == 0)
        return;
    if (SocketInfo == siError) {
        // Reset, aborted or timed out: the peer is gone, so free its entry like a close.
        if (state().seats[entry].connected)
            m_table.closeLater(entry, QString());
        return;
    }
    if (Msg == QLatin1String("Socket Closed"))
        m_table.connectionClosed(entry);
}

qsizetype TServer::send(int entry, const QByteArray &bytes)
{
    TSock *sock = validEntry(entry) ? m_sockets[entry] : nullptr;
    if (!sock)
        return 0;
    try {
        sock->Send(bytes);
    } catch (const ESockException &) {
        return -1;
    }
    return sock->sendBufferSize();
}

void TServer::close(int entry, When when)
{
    if (!validEntry(entry) || !m_sockets[entry])
        return;
    if (when == When::Now) {
        m_sockets[entry]->Close();
        return;
    }
    const quint64 id = state().seats[entry].connectionId;
    QMetaObject::invokeMethod(
        this,
        [this, entry, id] {
            const TSeat &seat = state().seats[entry];
            if (seat.connected && seat.connectionId == id && m_sockets[entry])
                m_sockets[entry]->Close();
        },
        Qt::QueuedConnection);
}
