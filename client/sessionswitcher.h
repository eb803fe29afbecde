// SessionSwitcher: hosting and joining from the game itself — the File menu's "Host a
// Game..." and "Join a Game...", the hidden host this copy runs, the router's port and the
// announcement on the local network.
#pragma once

#include "routerport.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

class ClientSettings;
class HostGameDialog;
class JoinGameDialog;
class LanAnnouncement;
class MainMenu;
class PendingJoin;
class TServer;
class Tchat;

// Owned by the main window. Switching leaves the running game (the own connection first,
// then the host, whose clients see it leave), clears the board and starts exactly what the
// command line "NAME HOST true|false" (or none, for a solo game) starts, in the same window.
// Hosting and solo games switch at once. A join connects beside the running game, which
// goes on until the new host offers a seat; a join that fails is reported (in the Join
// window, or as a status line) and changes nothing. Only addresses that offered a seat are
// remembered. While a copy started with a name hosts, the router forwards the game's port
// and the game is announced.
class SessionSwitcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int SeatCheckMs = 2000; // how often the announced free seats are re-read

    SessionSwitcher(Tchat &chat, MainMenu &menu, ClientSettings &settings,
                    RouterOptions router = RouterOptions::fromEnvironment());
    ~SessionSwitcher() override;

    // Makes the hidden host (at its place in the start-up order) and hands it to the window.
    void createHost();
    TServer *host() const { return m_host.get(); }

    // File > "Host a Game..." and "Join a Game..." (made on first use).
    void showHostDialog();
    void showJoinDialog();
    HostGameDialog &hostDialog();
    JoinGameDialog &joinDialog();

    // Hosts (host = true: leaves the running game at once) or joins address under name
    // (the running game is left once the new host offers a seat).
    void switchTo(const QString &name, const QString &address, bool host);
    // File > "Solo Game": leaves the running game and starts a solo game.
    void startSolo();
    // A join that still waits for its seat offer, or null.
    PendingJoin *pendingJoin() const { return m_pending; }
    // How long a join waits for the host's seat offer.
    void setOfferWait(int ms) { m_offerWaitMs = ms; }

    RouterPort &router() { return m_router; }
    LanAnnouncement &announcer() const { return *m_announcer; }
    // Player seats (1 to 4) nobody is connected to on this copy's host.
    int freeSeats() const;

private:
    // Leaves the running game and starts what parameters start (replacing the host).
    void restart(const QStringList &parameters);
    void cancelJoin();
    // Gives up a join still connecting because another game starts.
    void abandonJoin();
    void seatOffered(const QByteArray &offer);
    void joinFailed(const QString &why);
    void onHostingStarted();
    void stopNetplay();
    void setOpenPort(bool on);
    void status(const QString &text);
    void updateFreeSeats();

    Tchat &m_chat;
    MainMenu &m_menu;
    ClientSettings &m_settings;
    std::unique_ptr<TServer> m_host;
    RouterPort m_router;
    LanAnnouncement *m_announcer;
    QTimer m_seatCheck;
    HostGameDialog *m_hostDialog = nullptr;
    JoinGameDialog *m_joinDialog = nullptr;
    PendingJoin *m_pending = nullptr;
    int m_offerWaitMs;
    bool m_hosting = false; // a named copy hosts (not the solo game)
};
