// JoinGameDialog: "Dorvane - Join a Game" — the name, the host's address (recent ones in a
// drop-down), a table's code on a table server and the games announced on the local
// network, live.
#pragma once

#include "netplaydialog.h"

#include <QStringList>
#include <functional>

class FramedComboBox;
class LanSearch;
class QListWidget;
class QListWidgetItem;
struct LanGame;

// Confirming checks the name and the address, then looks the host up without blocking the
// window (an IPv4 or IPv6 address needs no look-up). The window stays open
// while the join connects: joined() closes it, joinFailed() says why and lets the player
// try again. Typing in the address field is never completed from the recent addresses
// (they are in the drop-down). The local-network list runs while the window is shown.
// With a table code (its own field: a code is never taken from the address) the address
// names the table server, and the table with that code is joined there.
class JoinGameDialog : public NetplayDialog
{
    Q_OBJECT
public:
    // Looks host up and calls done with an empty text (found) or a sentence why not. It
    // must answer later from the event loop, or at once; context ends a pending lookup.
    using Resolver = std::function<void(const QString &host, QObject *context, std::function<void(QString)> done)>;
    static void lookUpWithSystem(const QString &host, QObject *context, std::function<void(QString)> done);

    explicit JoinGameDialog(QWidget *parent = nullptr);
    ~JoinGameDialog() override;

    void setResolver(Resolver resolver) { m_resolver = std::move(resolver); }
    // The drop-down's entries, most recent first; the first fills the field.
    void setRecentAddresses(const QStringList &addresses);
    QString address() const;
    void setAddress(const QString &text);
    QString tableCode() const;
    void setTableCode(const QString &text);
    // The table server last used ("" when none): offered when a code is typed and the
    // address is empty; without one the window says what a table server is.
    void setTableServer(const QString &address);
    QStringList listedGames() const;
    QString lanNote() const;
    LanSearch &browser() const { return *m_browser; }

    // The join asked for has a seat (the window closes), or could not be made (the reason
    // is shown and the entries can be changed).
    void joined();
    void joinFailed(const QString &why);
    // A join asked for is still connecting.
    bool connecting() const { return m_connecting; }

    // Adds or updates a game of the local-network list; forgets one.
    void showGame(const LanGame &game);
    void dropGame(const QString &key);

Q_SIGNALS:
    // Emitted when the entries were accepted and the host resolved; the window waits for
    // joined() or joinFailed().
    void joinRequested(const QString &name, const QString &address);
    // The same for the table with code (normalized) on the table server at server.
    void tableJoinRequested(const QString &name, const QString &server, const QString &code);
    // Emitted when the window is closed while a join asked for still connects.
    void joinCancelled();

protected:
    void confirm() override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void createAddressRows();
    void createGameList();
    void lookedUp(quint64 lookup, const QString &name, const QString &address, const QString &code,
                  const QString &problem);
    void chooseGame(QListWidgetItem *item);

    FramedComboBox *m_address = nullptr;
    QLabel *m_addressCaption = nullptr;
    QLineEdit *m_code = nullptr;
    QLabel *m_codeNote = nullptr;
    QString m_tableServer;
    bool m_addressTyped = false; // the address was typed, not filled in
    QListWidget *m_games = nullptr;
    QLabel *m_lanNote = nullptr;
    LanSearch *m_browser = nullptr;
    Resolver m_resolver = lookUpWithSystem;
    quint64 m_lookup = 0; // answers of an earlier confirm are ignored
    bool m_connecting = false;
};
