// HostGameDialog: "Dorvane - Host a Game" — the player's name and where the game runs: on
// this computer (whether the router is asked to forward the game's port) or at a new table
// on a table server.
#pragma once

#include "joingamedialog.h"
#include "netplaydialog.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

// Hosting on this computer closes the window at once. A table is opened beside the
// running game: the server's address is checked and looked up without blocking the
// window, which stays open until opened() closes it or openFailed() says why.
class HostGameDialog : public NetplayDialog
{
    Q_OBJECT
public:
    explicit HostGameDialog(QWidget *parent = nullptr);

    void setResolver(JoinGameDialog::Resolver resolver) { m_resolver = std::move(resolver); }
    // The check box "Open the game's port on the router".
    void setOpenPort(bool on);
    bool openPort() const;
    // The table server last used ("" when none): fills the server's field, and without one
    // the window says what a table server is.
    void setTableServer(const QString &address);
    QString tableServer() const;
    // "On a table server" is chosen.
    void setOnTableServer(bool on);
    bool onTableServer() const;

    // The table asked for is open (the window closes), or could not be opened (the reason
    // is shown and the entries can be changed).
    void opened();
    void openFailed(const QString &why);
    // A table asked for is still being opened.
    bool connecting() const { return m_connecting; }

Q_SIGNALS:
    // Emitted when the player confirmed an accepted name for a game on this computer; the
    // window closes itself. openPort is the check box's state at that moment.
    void hostRequested(const QString &name, bool openPort);
    // Emitted when the name and the server were accepted and the server looked up; the
    // window waits for opened() or openFailed().
    void tableRequested(const QString &name, const QString &server);
    // Emitted when the window is closed while a table asked for is still being opened.
    void tableCancelled();

protected:
    void confirm() override;
    void hideEvent(QHideEvent *event) override;

private:
    void createPlaceRows();
    void lookedUp(quint64 lookup, const QString &name, const QString &server, const QString &problem);
    void showPlace();

    QRadioButton *m_here = nullptr;
    QRadioButton *m_table = nullptr;
    QCheckBox *m_openPort = nullptr;
    QLabel *m_router = nullptr;
    QLineEdit *m_server = nullptr;
    QLabel *m_serverNote = nullptr;
    JoinGameDialog::Resolver m_resolver = JoinGameDialog::lookUpWithSystem;
    quint64 m_lookup = 0; // answers of an earlier confirm are ignored
    bool m_connecting = false;
};
