#include "sessionswitcher.h"

#include "boardpictures.h"
#include "chatform.h"
#include "clientoptions.h"
#include "clientsettings.h"
#include "gamesession.h"
#include "hostgamedialog.h"
#include "joingamedialog.h"
#include "lanannouncement.h"
#include "mainmenu.h"
#include "pendingjoin.h"
#include "serverform.h"
#include "tablecode.h"

#include <QAction>
#include <utility>

SessionSwitcher::SessionSwitcher(Parts parts, RouterOptions router)
    : QObject(&parts.chat)
    , m_chat(parts.chat)
    , m_menu(parts.menu)
    , m_session(parts.session)
    , m_options(parts.options)
    , m_settings(parts.settings)
    , m_boxes(parts.boxes)
    , m_router(std::move(router))
    , m_announcer(new LanAnnouncement(this))
    , m_offerWaitMs(PendingJoin::OfferWaitMs)
{
    connect(m_menu.hostGame(), &QAction::triggered, this, &SessionSwitcher::showHostDialog);
    connect(m_menu.joinGame(), &QAction::triggered, this, &SessionSwitcher::showJoinDialog);
    connect(m_menu.soloGame(), &QAction::triggered, this, &SessionSwitcher::startSolo);
    connect(m_menu.openPortOnRouter(), &QAction::triggered, this, &SessionSwitcher::toggleOpenPort);
    connect(&m_chat, &Tchat::hostingStarted, this, &SessionSwitcher::onHostingStarted);
    connect(&m_chat, &Tchat::closed, this, [this] {
        cancelJoin();
        stopNetplay();
    });
    connect(&m_router, &RouterPort::statusLine, this, &SessionSwitcher::status);
    connect(m_announcer, &LanAnnouncement::failed, this, &SessionSwitcher::status);
}

// The window is being destroyed around this object: only its own parts are touched here.
SessionSwitcher::~SessionSwitcher()
{
    stopNetplay();
}

void SessionSwitcher::createHost()
{
    m_host = std::make_unique<TServer>();
    watchHost();
    m_chat.setServer(m_host.get());
}

HostGameDialog &SessionSwitcher::hostDialog()
{
    if (!m_hostDialog) {
        m_hostDialog = new HostGameDialog(&m_chat);
        m_hostDialog->setBackground(boardpictures::load(QStringLiteral("wood")));
        connect(m_hostDialog, &HostGameDialog::hostRequested, this, [this](const QString &name, bool openPort) {
            // The choice made while hosting is the option from now on.
            m_options.setOpenPort(openPort);
            switchTo({name, QStringLiteral("127.0.0.1"), SwitchRequest::Mode::Host});
        });
        connect(m_hostDialog, &HostGameDialog::tableRequested, this,
                [this](const QString &name, const QString &server) {
                    switchTo({name, server, SwitchRequest::Mode::Host, true});
                });
        connect(m_hostDialog, &HostGameDialog::tableCancelled, this, &SessionSwitcher::cancelJoin);
    }
    return *m_hostDialog;
}

JoinGameDialog &SessionSwitcher::joinDialog()
{
    if (!m_joinDialog) {
        m_joinDialog = new JoinGameDialog(&m_chat);
        m_joinDialog->setBackground(boardpictures::load(QStringLiteral("wood")));
        connect(m_joinDialog, &JoinGameDialog::joinRequested, this,
                [this](const QString &name, const QString &address) {
                    switchTo({name, address, SwitchRequest::Mode::Join});
                });
        connect(m_joinDialog, &JoinGameDialog::tableJoinRequested, this,
                [this](const QString &name, const QString &server, const QString &code) {
                    switchTo({name, server, SwitchRequest::Mode::Join, true, code});
                });
        connect(m_joinDialog, &JoinGameDialog::joinCancelled, this, &SessionSwitcher::cancelJoin);
    }
    return *m_joinDialog;
}

void SessionSwitcher::showHostDialog()
{
    HostGameDialog &dialog = hostDialog();
    dialog.setPlayerName(m_settings.readPlayerName());
    dialog.setOpenPort(m_options.values().openPort);
    dialog.setTableServer(m_settings.readTableServer());
    dialog.showOver(m_chat.frameGeometry());
}

void SessionSwitcher::showJoinDialog()
{
    JoinGameDialog &dialog = joinDialog();
    dialog.setPlayerName(m_settings.readPlayerName());
    dialog.setRecentAddresses(m_settings.readRecentHosts());
    dialog.setTableServer(m_settings.readTableServer());
    dialog.showOver(m_chat.frameGeometry());
}

void SessionSwitcher::switchTo(const SwitchRequest &request)
{
    if (request.onTableServer || request.mode == SwitchRequest::Mode::Join) {
        // Joins and tables connect beside the running game; the window that did not ask
        // for this has nothing more to wait for.
        cancelJoin();
        if (request.mode == SwitchRequest::Mode::Host && m_joinDialog && m_joinDialog->connecting())
            m_joinDialog->reject();
        if (request.mode == SwitchRequest::Mode::Join && m_hostDialog && m_hostDialog->connecting())
            m_hostDialog->reject();
        startPending(request);
        return;
    }
    abandonJoin();
    if (request.mode == SwitchRequest::Mode::Host)
        m_settings.writePlayerName(request.name);
    restart(request);
}

void SessionSwitcher::startPending(const SwitchRequest &request)
{
    m_pending = new PendingJoin(m_boxes, request.name, request.address, this);
    m_pending->setOfferWait(m_offerWaitMs);
    if (request.onTableServer)
        m_pending->useTableServer(request.mode == SwitchRequest::Mode::Join ? request.table : QString());
    connect(m_pending, &PendingJoin::seatOffered, this, &SessionSwitcher::seatOffered);
    connect(m_pending, &PendingJoin::failed, this, &SessionSwitcher::joinFailed);
    m_pending->start(m_chat.gamePort());
}

void SessionSwitcher::startSolo()
{
    switchTo({});
}

void SessionSwitcher::restart(const SwitchRequest &request)
{
    stopNetplay();
    m_chat.leaveGame();
    // The old host goes after the own connection: its other clients see it leave. It is
    // gone before the new one listens on the game port.
    m_chat.setServer(nullptr);
    createHost();
    m_chat.setStart(request);
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
    if (m_hostDialog && m_hostDialog->connecting())
        m_hostDialog->reject();
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
    // A table server is remembered apart: its address joins nothing without a code.
    if (pending->onTableServer())
        m_settings.writeTableServer(address);
    else
        m_settings.addRecentHost(address);
    stopNetplay();
    m_chat.leaveGame(connection);
    m_chat.setServer(nullptr);
    createHost(); // not listening: a table's game runs on the table server
    if (!pending->onTableServer()) {
        m_chat.takeSeat(name, address, offer);
        if (m_joinDialog)
            m_joinDialog->joined();
        return;
    }
    const bool opened = pending->opensTable();
    const QString code = pending->tableCode();
    m_chat.takeSeat({name, address, opened ? SwitchRequest::Mode::Host : SwitchRequest::Mode::Join, true, code},
                    offer);
    if (!opened) {
        if (m_joinDialog)
            m_joinDialog->joined();
        return;
    }
    // The chat sets a line's first colon off with a space: it comes before the addresses.
    const QString shown = tablecode::display(code);
    status(QStringLiteral("Your table is open. Its code:%1 (on the table server %2)").arg(shown, address));
    status(QStringLiteral("Friends join it with File > \"Join a Game...\":address %1 and table code %2, or by "
                          "starting Dorvane as dorvane NAME %2@%1 false")
               .arg(address, shown));
    if (m_hostDialog)
        m_hostDialog->opened();
}

void SessionSwitcher::joinFailed(const QString &why)
{
    PendingJoin *pending = std::exchange(m_pending, nullptr);
    const bool opening = pending && pending->opensTable();
    if (pending)
        pending->deleteLater();
    if (opening && m_hostDialog && m_hostDialog->connecting())
        m_hostDialog->openFailed(why);
    else if (!opening && m_joinDialog && m_joinDialog->connecting())
        m_joinDialog->joinFailed(why);
    else
        status(why);
}

void SessionSwitcher::onHostingStarted()
{
    if (m_chat.start().mode == SwitchRequest::Mode::Solo || m_chat.start().onTableServer || !m_host)
        return; // the solo game stays on this computer; a table's runs on the table server
    m_hosting = true;
    const quint16 port = m_host->listeningPort();
    if (m_options.values().openPort)
        m_router.start(port);
    else
        m_router.tellAddresses(port);
    m_announcer->announce(m_session.state().playername, port, freeSeats());
}

void SessionSwitcher::stopNetplay()
{
    m_hosting = false;
    m_router.stop();
    m_announcer->withdraw();
}

void SessionSwitcher::toggleOpenPort()
{
    const bool on = !m_options.values().openPort;
    m_options.setOpenPort(on);
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
    if (!m_hosting)
        return;
    const int free = freeSeats();
    m_announcer->setFreeSeats(free);
    Q_EMIT freeSeatsAnnounced(free);
}

void SessionSwitcher::watchHost()
{
    // Queued: the count is read once the host has finished changing its seats.
    connect(m_host.get(), &TServer::seatsChanged, this, &SessionSwitcher::updateFreeSeats, Qt::QueuedConnection);
}
