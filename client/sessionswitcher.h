// SessionSwitcher: hosting and joining from the game itself — the File menu's "Host a
// Game..." and "Join a Game...", the hidden host this copy runs, the router's port and the
// announcement on the local network.
#pragma once

#include "routerport.h"
#include "switchrequest.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class ClientOptions;
class ClientSettings;
class GameSession;
class HostGameDialog;
class JoinGameDialog;
class LanAnnouncement;
class MainMenu;
class MessageBoxes;
class PendingJoin;
class TServer;
class Tchat;

// Owned by the main window. Switching leaves the running game (the own connection first,
// then the host, whose clients see it leave), clears the board and starts exactly what the
// same request from the command line starts, in the same window.
// Hosting and solo games switch at once. A join connects beside the running game, which
// goes on until the new host offers a seat; a join that fails is reported (in the Join
// window, or as a status line) and changes nothing. Only addresses that offered a seat are
// remembered. While a copy started with a name hosts, the router forwards the game's port
// and the game is announced. A table on a table server is opened or joined like a join
// (the hidden host stays off, no router port, no announcement); an opened table's code is
// told in the chat, and the server is remembered as the table server.
class SessionSwitcher : public QObject
{
    Q_OBJECT
public:
    // What the switcher uses of the main window, all owned by it.
    struct Parts
    {
        Tchat &chat;
        MainMenu &menu;
        GameSession &session;
        ClientOptions &options;
        ClientSettings &settings;
        MessageBoxes &boxes;
    };

    explicit SessionSwitcher(Parts parts, RouterOptions router = RouterOptions::fromEnvironment());
    ~SessionSwitcher() override;

    // Makes the hidden host (at its place in the start-up order) and hands it to the window.
    void createHost();
    TServer *host() const { return m_host.get(); }

    // File > "Host a Game..." and "Join a Game..." (made on first use).
    void showHostDialog();
    void showJoinDialog();
    HostGameDialog &hostDialog();
    JoinGameDialog &joinDialog();

    // Hosts (leaves the running game at once), joins (the running game is left once the new
    // host offers a seat) or plays solo (at once).
    void switchTo(const SwitchRequest &request);
    // File > "Solo Game": leaves the running game and starts a solo game.
    void startSolo();
    // A join that still waits for its seat offer, or null.
    PendingJoin *pendingJoin() const { return m_pending; }
    // How long a join waits for the host's seat offer.
    void setOfferWait(int ms) { m_offerWaitMs = ms; }

    // Player seats (1 to 4) nobody is connected to on this copy's host.
    int freeSeats() const;

Q_SIGNALS:
    // Emitted when the host's seats changed while a named copy hosts, with the free seats
    // now announced.
    void freeSeatsAnnounced(int freeSeats);

private:
    // Leaves the running game and starts request (replacing the host).
    void restart(const SwitchRequest &request);
    // Connects beside the running game for a join, or a table on a table server.
    void startPending(const SwitchRequest &request);
    void cancelJoin();
    // Gives up a join still connecting because another game starts.
    void abandonJoin();
    void seatOffered(const QByteArray &offer);
    void joinFailed(const QString &why);
    void onHostingStarted();
    void stopNetplay();
    void toggleOpenPort();
    void status(const QString &text);
    void updateFreeSeats();
    // Follows the seats of the host made by createHost().
    void watchHost();

    Tchat &m_chat;
    MainMenu &m_menu;
    GameSession &m_session;
    ClientOptions &m_options;
    ClientSettings &m_settings;
    MessageBoxes &m_boxes;
    std::unique_ptr<TServer> m_host;
    RouterPort m_router;
    LanAnnouncement *m_announcer;
    HostGameDialog *m_hostDialog = nullptr;
    JoinGameDialog *m_joinDialog = nullptr;
    PendingJoin *m_pending = nullptr;
    int m_offerWaitMs;
    bool m_hosting = false; // a named copy hosts (not the solo game)
};
