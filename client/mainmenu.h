// MainMenu: the main window's menu bar (File, Options, View, Help).
#pragma once

#include <QObject>

class QAction;
class QMainWindow;

// Creates every item with its caption, shortcut and object name. Items whose work comes
// with the chat, settings and auxiliary windows are present and disabled.
class MainMenu : public QObject
{
    Q_OBJECT
public:
    explicit MainMenu(QMainWindow &window);

    QAction *StartGame1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *PlaySounds1 = nullptr;
    QAction *Slow1 = nullptr;
    QAction *Normal1 = nullptr;
    QAction *Fast1 = nullptr;
    QAction *JustWatch1 = nullptr;

    // Marks the bot speed item for ms (2000, 1000 or 500); 0 marks none.
    void markBotspeed(int ms);

private:
    void createFileMenu(QMainWindow &window);
    void createOptionsMenu(QMainWindow &window);
    void createViewAndHelpMenus(QMainWindow &window);
};
