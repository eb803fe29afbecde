// MainMenu: the main window's menu bar (File, Options, View, Help).
#pragma once

#include <QList>
#include <QObject>

class QAction;
class QMainWindow;

// Creates every menu (opened with Alt and its underlined letter) and every item with its
// caption, shortcut, object name and check or radio mark; the main window connects them to
// their handlers and sets the marks from its options.
class MainMenu : public QObject
{
    Q_OBJECT
public:
    explicit MainMenu(QMainWindow &window);

    QAction *hostGame() const { return m_hostGame; }   // "Host a Game...", Ctrl+H
    QAction *joinGame() const { return m_joinGame; }   // "Join a Game...", Ctrl+J
    QAction *soloGame() const { return m_soloGame; }   // "Solo Game": a solo game in the same window
    QAction *startGame() const { return m_startGame; } // StartGame1, shows Ctrl+N
    QAction *exitGame() const { return m_exitGame; }   // Exit1
    QAction *playSounds() const { return m_playSounds; }
    QAction *playChatterSounds() const { return m_playChatterSounds; }
    QAction *classicTurnSound() const { return m_classicTurnSound; } // Turn Sound, tag 0
    QAction *newTurnSound() const { return m_newTurnSound; }         // Turn Sound, tag 1
    QAction *slowBots() const { return m_slowBots; }
    QAction *normalBots() const { return m_normalBots; }
    QAction *fastBots() const { return m_fastBots; }
    QAction *textColor() const { return m_textColor; }
    const QList<QAction *> &textSizes() const { return m_textSizes; } // "8" ... "14"; the data is the size
    QAction *scrollChatOff() const { return m_scrollChatOff; }        // Ctrl+S
    QAction *clearMainChat() const { return m_clearMainChat; }
    QAction *resetScreenLocation() const { return m_resetScreenLocation; }
    QAction *justWatch() const { return m_justWatch; }
    // Checked: a hosting copy asks the router to forward its port.
    QAction *openPortOnRouter() const { return m_openPortOnRouter; }
    QAction *viewTally() const { return m_viewTally; }
    QAction *spyList() const { return m_spyList; }
    QAction *phraseList() const { return m_phraseList; }
    QAction *colourSymbols() const { return m_colourSymbols; } // checked: symbols on the dice
    QAction *helpContent() const { return m_helpContent; }     // F1
    QAction *about() const { return m_about; }

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

    QAction *m_hostGame = nullptr;
    QAction *m_joinGame = nullptr;
    QAction *m_soloGame = nullptr;
    QAction *m_startGame = nullptr;
    QAction *m_exitGame = nullptr;
    QAction *m_playSounds = nullptr;
    QAction *m_playChatterSounds = nullptr;
    QAction *m_classicTurnSound = nullptr;
    QAction *m_newTurnSound = nullptr;
    QAction *m_slowBots = nullptr;
    QAction *m_normalBots = nullptr;
    QAction *m_fastBots = nullptr;
    QAction *m_textColor = nullptr;
    QList<QAction *> m_textSizes;
    QAction *m_scrollChatOff = nullptr;
    QAction *m_clearMainChat = nullptr;
    QAction *m_resetScreenLocation = nullptr;
    QAction *m_justWatch = nullptr;
    QAction *m_openPortOnRouter = nullptr;
    QAction *m_viewTally = nullptr;
    QAction *m_spyList = nullptr;
    QAction *m_phraseList = nullptr;
    QAction *m_colourSymbols = nullptr;
    QAction *m_helpContent = nullptr;
    QAction *m_about = nullptr;
};
