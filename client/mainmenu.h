// MainMenu: the main window's menu bar (File, Options, View, Help).
#pragma once

#include <QList>
#include <QObject>

class QAction;
class QMainWindow;

// Creates every item with its caption, shortcut, object name and check or radio mark; the
// main window connects them to their handlers.
class MainMenu : public QObject
{
    Q_OBJECT
public:
    explicit MainMenu(QMainWindow &window);

    QAction *HostGame1 = nullptr; // "Host a Game...", Ctrl+H
    QAction *JoinGame1 = nullptr; // "Join a Game...", Ctrl+J
    QAction *SoloGame1 = nullptr; // "Solo Game": a solo game in the same window
    QAction *StartGame1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *PlaySounds1 = nullptr;
    QAction *PlayChatterSounds1 = nullptr;
    QAction *Classic1 = nullptr; // Turn Sound, tag 0
    QAction *New1 = nullptr;     // Turn Sound, tag 1
    QAction *Slow1 = nullptr;
    QAction *Normal1 = nullptr;
    QAction *Fast1 = nullptr;
    QAction *TextColor1 = nullptr;
    QList<QAction *> TextSizes;        // "8", "10", "12", "14"; the data is the size
    QAction *ScrollChatOff1 = nullptr; // Ctrl+S
    QAction *ClearMainChat1 = nullptr;
    QAction *ResetScreenLocation1 = nullptr;
    QAction *JustWatch1 = nullptr;
    QAction *OpenPortOnRouter1 = nullptr; // checked: a hosting copy asks the router to forward its port
    QAction *ViewTally1 = nullptr;
    QAction *SpyList1 = nullptr;
    QAction *PhraseList1 = nullptr;
    QAction *Content1 = nullptr; // F1
    QAction *About1 = nullptr;

    // Marks the "Text Size" item of that size; none for a size without an item.
    void markTextSize(int points);
    // Puts the radio mark on "Classic" (0) or "New" (1).
    void markTurnSound(int tag);
    // Marks the bot speed item for ms (2000, 1000 or 500); 0 marks none.
    void markBotspeed(int ms);

private:
    void createFileMenu(QMainWindow &window);
    void createOptionsMenu(QMainWindow &window);
    void createViewAndHelpMenus(QMainWindow &window);
};
