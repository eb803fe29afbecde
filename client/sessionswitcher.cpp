#include "sessionswitcher.h"

#include "boardpictures.h"
#include "chatform.h"
#include "clientsettings.h"
#include "hostgamedialog.h"
#include "joingamedialog.h"
#include "lanannouncement.h"
#include "mainmenu.h"
#include "serverform.h"

#include <QAction>

SessionSwitcher::SessionSwitcher(Tchat &chat, MainMenu &menu, ClientSettings &settings, RouterOptions router)
    : QObject(&chat)
    , m_chat(chat)
    , m_menu(menu)
    , m_settings(settings)
    , m_router(std::move(router))
    , m_announcer(new LanAnnouncement(this))
{
    m_menu.OpenPortOnRouter1->setChecked(m_settings.readOpenPort());
    connect(m_menu.HostGame1, &QAction::triggered, this, &SessionSwitcher::showHostDialog);
    connect(m_menu.JoinGame1, &QAction::triggered, this, &SessionSwitcher::showJoinDialog);
    connect(m_menu.OpenPortOnRouter1, &QAction::triggered, this, &SessionSwitcher::setOpenPort);
    connect(&m_chat, &Tchat::hostingStarted, this, &SessionSwitcher::onHostingStarted);
    connect(&m_chat, &Tchat::closed, this, &SessionSwitcher::stopNetplay);
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
        connect(m_hostDialog, &HostGameDialog::hostRequested, this,
                [this](const QString &name) { switchTo(name, QStringLiteral("127.0.0.1"), true); });
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
    }
    return *m_joinDialog;
}

void SessionSwitcher::showHostDialog()
{
    HostGameDialog &dialog = hostDialog();
    dialog.setPlayerName(m_settings.readPlayerName());
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
    m_settings.writePlayerName(name);
    if (!host)
        m_settings.addRecentHost(address);
    stopNetplay();
    m_chat.leaveGame();
    // The old host goes after the own connection: its other clients see it leave.
    m_chat.setServer(nullptr);
    createHost();
    m_chat.setParameters({name, address, host ? QStringLiteral("true") : QStringLiteral("false")});
    m_chat.processparams();
}

void SessionSwitcher::onHostingStarted()
{
    if (m_chat.parameters().isEmpty() || !m_host)
        return; // the solo game stays on this computer
    m_hosting = true;
    const quint16 port = m_host->listeningPort();
    if (m_menu.OpenPortOnRouter1->isChecked())
        m_router.start(port);
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
    m_chat.addlinetochat(QStringLiteral("0+") + text, m_chat.statuscolor);
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
