#include "sessionswitcher.h"

#include "boardpictures.h"
#include "chatform.h"
#include "clientsettings.h"
#include "hostgamedialog.h"
#include "joingamedialog.h"
#include "lanannouncement.h"
#include "mainmenu.h"
#include "pendingjoin.h"
#include "serverform.h"

#include <QAction>
#include <utility>

SessionSwitcher::SessionSwitcher(Tchat &chat, MainMenu &menu, ClientSettings &settings, RouterOptions router)
    : QObject(&chat)
    , m_chat(chat)
    , m_menu(menu)
    , m_settings(settings)
    , m_router(std::move(router))
    , m_announcer(new LanAnnouncement(this))
    , m_offerWaitMs(PendingJoin::OfferWaitMs)
{
    m_menu.OpenPortOnRouter1->setChecked(m_settings.readOpenPort());
    connect(m_menu.HostGame1, &QAction::triggered, this, &SessionSwitcher::showHostDialog);
    connect(m_menu.JoinGame1, &QAction::triggered, this, &SessionSwitcher::showJoinDialog);
    connect(m_menu.SoloGame1, &QAction::triggered, this, &SessionSwitcher::startSolo);
    connect(m_menu.OpenPortOnRouter1, &QAction::triggered, this, &SessionSwitcher::setOpenPort);
    connect(&m_chat, &Tchat::hostingStarted, this, &SessionSwitcher::onHostingStarted);
    connect(&m_chat, &Tchat::closed, this, [this] {
        cancelJoin();
        stopNetplay();
    });
    connect(&m_router, &RouterPort::statusLine, this, &SessionSwitcher::status);
    connect(m_announcer, &LanAnnouncement::failed, this, &SessionSwitcher::status);
    m_seatCheck.setInterval(SeatCheckMs);
    connect(&m_seatCheck, &QTimer::timeout, this, &SessionSwitcher::updateFreeSeats);
}

// The window is being destroyed around this object: only its own parts are touched here.
SessionSwitcher::~SessionSwitcher()
{
    stopNetplay();
}

void SessionSwitcher::createHost()
{
    m_host = std::make_unique<TServer>();
    m_chat.setServer(m_host.get());
}

HostGameDialog &SessionSwitcher::hostDialog()
{
    if (!m_hostDialog) {
        m_hostDialog = new HostGameDialog(&m_chat);
        m_hostDialog->setBackground(boardpictures::load(QStringLiteral("wood")));
        connect(m_hostDialog, &HostGameDialog::hostRequested, this, [this](const QString &name, bool openPort) {
            // The choice made while hosting is the option from now on.
            m_menu.OpenPortOnRouter1->setChecked(openPort);
            m_settings.writeOpenPort(openPort);
            switchTo(name, QStringLiteral("127.0.0.1"), true);
        });
    }
    return *m_hostDialog;
}

JoinGameDialog &SessionSwitcher::joinDialog()
{
    if (!m_joinDialog) {
        m_joinDialog = new JoinGameDialog(&m_chat);
        m_joinDialog->setBackground(boardpictures::load(QStringLiteral("wood")));
        connect(m_joinDialog, &JoinGameDialog::joinRequested, this,
                [this](const QString &name, const QString &address) { switchTo(name, address, false); });
        connect(m_joinDialog, &JoinGameDialog::joinCancelled, this, &SessionSwitcher::cancelJoin);
    }
    return *m_joinDialog;
}

void SessionSwitcher::showHostDialog()
{
    HostGameDialog &dialog = hostDialog();
    dialog.setPlayerName(m_settings.readPlayerName());
    dialog.setOpenPort(m_menu.OpenPortOnRouter1->isChecked());
    dialog.showOver(m_chat.frameGeometry());
}

void SessionSwitcher::showJoinDialog()
{
    JoinGameDialog &dialog = joinDialog();
    dialog.setPlayerName(m_settings.readPlayerName());
    dialog.setRecentAddresses(m_settings.readRecentHosts());
    dialog.showOver(m_chat.frameGeometry());
}

void SessionSwitcher::switchTo(const QString &name, const QString &address, bool host)
{
    if (host) {
        abandonJoin();
        m_settings.writePlayerName(name);
        restart({name, address, QStringLiteral("true")});
        return;
    }
    cancelJoin();
    m_pending = new PendingJoin(m_chat.boxes(), name, address, this);
    m_pending->setOfferWait(m_offerWaitMs);
    connect(m_pending, &PendingJoin::seatOffered, this, &SessionSwitcher::seatOffered);
    connect(m_pending, &PendingJoin::failed, this, &SessionSwitcher::joinFailed);
    m_pending->start(m_chat.gamePort());
}

void SessionSwitcher::startSolo()
{
    abandonJoin();
    restart({});
}

void SessionSwitcher::restart(const QStringList &parameters)
{
    stopNetplay();
    m_chat.leaveGame();
    // The old host goes after the own connection: its other clients see it leave. It is
    // gone before the new one listens on the game port.
    m_chat.setServer(nullptr);
    createHost();
    m_chat.setParameters(parameters);
    m_chat.processparams();
}

void SessionSwitcher::cancelJoin()
{
    if (!m_pending)
        return;
    PendingJoin *pending = std::exchange(m_pending, nullptr);
    disconnect(pending, nullptr, this, nullptr);
    pending->deleteLater();
}

void SessionSwitcher::abandonJoin()
{
    cancelJoin();
    // The player chose another game: the Join window has nothing more to wait for.
    if (m_joinDialog && m_joinDialog->connecting())
        m_joinDialog->reject();
}

void SessionSwitcher::seatOffered(const QByteArray &offer)
{
    PendingJoin *pending = std::exchange(m_pending, nullptr);
    if (!pending)
        return;
    pending->deleteLater();
    ClientConnection *connection = pending->takeConnection();
    if (!connection)
        return;
    const QString name = pending->name();
    const QString address = pending->address();
    m_settings.writePlayerName(name);
    m_settings.addRecentHost(address);
    stopNetplay();
    m_chat.leaveGame(connection);
    m_chat.setServer(nullptr);
    createHost();
    m_chat.takeSeat(name, address, offer);
    if (m_joinDialog)
        m_joinDialog->joined();
}

void SessionSwitcher::joinFailed(const QString &why)
{
    PendingJoin *pending = std::exchange(m_pending, nullptr);
    if (pending)
        pending->deleteLater();
    if (m_joinDialog && m_joinDialog->connecting())
        m_joinDialog->joinFailed(why);
    else
        status(why);
}

void SessionSwitcher::onHostingStarted()
{
    if (m_chat.parameters().isEmpty() || !m_host)
        return; // the solo game stays on this computer
    m_hosting = true;
    const quint16 port = m_host->listeningPort();
    if (m_menu.OpenPortOnRouter1->isChecked())
        m_router.start(port);
    else
        m_router.tellAddresses(port);
    m_announcer->announce(m_chat.state().playername, port, freeSeats());
    m_seatCheck.start();
}

void SessionSwitcher::stopNetplay()
{
    m_hosting = false;
    m_seatCheck.stop();
    m_router.stop();
    m_announcer->withdraw();
}

void SessionSwitcher::setOpenPort(bool on)
{
    m_settings.writeOpenPort(on);
    if (!m_hosting || !m_host)
        return;
    if (on) {
        m_router.start(m_host->listeningPort());
    } else if (m_router.active()) {
        m_router.stop();
        status(QStringLiteral("The game no longer asks the router to forward its port."));
    }
}

void SessionSwitcher::status(const QString &text)
{
    m_chat.addStatus(text);
}

int SessionSwitcher::freeSeats() const
{
    if (!m_host)
        return 0;
    int free = 0;
    for (int seat = 1; seat <= m_host->state().numseats; ++seat)
        free += m_host->state().seats[seat].connected ? 0 : 1;
    return free;
}

void SessionSwitcher::updateFreeSeats()
{
    m_announcer->setFreeSeats(freeSeats());
}
