// Ttallylist: the win tally — the user's games and wins, and for each followed opponent the
// games played together and who won them, over all runs and in this run.
#pragma once

#include "tallytable.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <memory>

class MessageBoxes;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class TallyRecord;

struct TtallylistOptions
{
    QString tallyPath;             // empty: the tally file beside the program
    MessageBoxes *boxes = nullptr; // not owned; Qt message boxes when null
    // The tally shown (not owned; it must outlive the window). When null the window loads
    // its own from tallyPath, saved when the window is destroyed.
    TallyRecord *record = nullptr;
};

// Shows a TallyRecord and changes it; whatever changed the record, the window shows it again
// from the record. Every change is saved at once (the file is replaced atomically), so a
// program that is killed loses nothing.
class Ttallylist : public QWidget
{
    Q_OBJECT
public:
    explicit Ttallylist(QWidget *parent = nullptr);
    explicit Ttallylist(TtallylistOptions options, QWidget *parent = nullptr);
    ~Ttallylist() override;

    // The window centres itself on mainWindow whenever it is shown (not owned).
    void setMainWindow(QWidget *mainWindow) { m_mainWindow = mainWindow; }

    // Refills "Players In Current Game" with the names at the other seats of the game (the
    // main window leaves out its own seat and "<Waiting>" seats); followed names are checked.
    void loadchecklist(const QStringList &otherSeatNames);
    // View > "View Tally": loadchecklist, then shows the window.
    void showTally(const QStringList &otherSeatNames);
    // The record shown; a finished game is counted there.
    TallyRecord &record() const { return *m_record; }
    const TallyTable &table() const;
    const QString &tallyPath() const;

    // Shows the table: the user's labels and the followed opponents, all checked; the
    // opponent shown stays when it is still followed.
    void loadtally();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createLayout();
    QWidget *createMinePanel();
    QWidget *createHisPanel();
    QWidget *createLists();
    QWidget *createButtons();
    void wire();

    void toggleFollowed(QListWidgetItem *item);
    void confirmUnfollow(QListWidgetItem *item);
    void showClickedOpponent(QListWidgetItem *item);
    void resetTally();
    void closeWindow();

    // Asks, then drops the opponent at list position; re-checks the entry on No.
    void dropOpponent(int position, const QString &name);
    // Shows the opponent at list position (-1: nobody) in the opponent panel.
    void showopponent(int position);
    void showMine();
    void syncChecklist();
    QListWidgetItem *addCheckedItem(QListWidget *list, const QString &name);

    std::unique_ptr<MessageBoxes> m_ownBoxes;
    MessageBoxes *m_boxes = nullptr;
    std::unique_ptr<TallyRecord> m_ownRecord;
    TallyRecord *m_record = nullptr;
    bool m_filling = false; // the lists are changed by code, not by the user
    QStringList m_atTable;  // "Players In Current Game", as last given
    QPointer<QWidget> m_mainWindow;

    QLabel *m_mylabel[5] = {}; // mylabel_1 .. mylabel_4 at 1..4
    QLabel *m_label[9] = {};   // label_1 .. label_8 at 1..8
    QLabel *label_hisnametop = nullptr;
    QLabel *label_hisname = nullptr;
    QListWidget *checklist = nullptr;
    QListWidget *listbox_tally = nullptr;
    QPushButton *button_reset = nullptr;
    QPushButton *button_done = nullptr;
};
