// Tspylist: the list of spectators, from which the hosting player can remove one.
#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class SpectatorList;
class QListWidget;
class QMenu;
class QPushButton;

// Shows a SpectatorList and follows its changes, shown or not. Each entry reads
// "<seat>: <name>" (seat 5 to 9). The window knows nothing of the connection: the main
// window hands it the "Remove From Game" operation (`kicking`) and tells it when this client
// hosts the game.
class Tspylist : public QWidget
{
    Q_OBJECT
public:
    // Sends the request that removes the spectator at the given seat.
    using Kicking = std::function<void(int seat)>;

    // Wide enough for the caption between the title bar's buttons on every common desktop:
    // a centred title with up to three buttons on each side.
    static constexpr int FormWidth = 300;
    static constexpr int FormHeight = 243;

    // Shows spectators (not owned; it must outlive the window), or a list of its own when null.
    explicit Tspylist(SpectatorList *spectators = nullptr, QWidget *parent = nullptr);

    void setKicking(Kicking kicking) { m_kicking = std::move(kicking); }
    // Enables "Remove From Game"; the main window calls it when it opens the game as host.
    void setHosting(bool hosting);
    bool isHosting() const;
    // The main window's tiled background picture; brown is painted while there is none.
    void setBackground(const QPixmap &tile);

    // Adds the entry "<seat>: <name>" for a spectator who arrived.
    void addSpy(int seat, const QString &name);
    // Removes the entry "<seat>: <name>" (letter case ignored); false when there is none,
    // in which case nothing changes.
    bool removeSpy(int seat, const QString &name);
    // The entries as the list shows them.
    QStringList entries() const;
    // View > "Spy List": centres the window on the main window and shows it on top.
    void showOver(const QRect &mainFrame);

    // Remembers the entry under the pointer (-1 over no entry); viewport coordinates.
    void notePointedEntry(const QPoint &pos);
    // "Remove From Game": hands the seat of the remembered entry to `kicking`.
    void kickPointedSeat();
    void closeWindow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void createControls();
    void createMenu();
    void openMenu(const QPoint &viewportPos);
    void rememberEntryAt(const QPoint &viewportPos);
    void showEntries();

    QLabel *m_title = nullptr;
    QListWidget *m_list = nullptr;
    QPushButton *m_done = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_kickAction = nullptr;
    QPixmap m_background;
    SpectatorList *m_spectators = nullptr;
    Kicking m_kicking;
    // The list's tag: index of the entry under the pointer at the last mouse movement,
    // and that entry's text, so a list that changed meanwhile never removes someone else.
    int m_pointerIndex = -1;
    QString m_pointerEntry;
};
