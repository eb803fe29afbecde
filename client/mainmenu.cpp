#include "mainmenu.h"

#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction *item(QMenu *menu, const char *name, const QString &caption, bool enabled = true,
              const QKeySequence &shortcut = {})
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(enabled);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

QAction *checkItem(QMenu *menu, const char *name, const QString &caption, bool enabled)
{
    QAction *action = item(menu, name, caption, enabled);
    action->setCheckable(true);
    return action;
}

} // namespace

MainMenu::MainMenu(QMainWindow &window)
    : QObject(&window)
{
    createFileMenu(window);
    createOptionsMenu(window);
    createViewAndHelpMenus(window);
}

void MainMenu::createFileMenu(QMainWindow &window)
{
    QMenu *file = window.menuBar()->addMenu(QStringLiteral("File"));
    StartGame1 = item(file, "StartGame1", QStringLiteral("Start Game"), false);
    file->addSeparator();
    Exit1 = item(file, "Exit1", QStringLiteral("Exit"));
}

void MainMenu::createOptionsMenu(QMainWindow &window)
{
    QMenu *options = window.menuBar()->addMenu(QStringLiteral("Options"));
    PlaySounds1 = checkItem(options, "PlaySounds1", QStringLiteral("Play Sounds"), false);
    PlaySounds1->setChecked(true);
    checkItem(options, "PlayChatterSounds1", QStringLiteral("Play Chatter Sounds"), false);
    QMenu *turn = options->addMenu(QStringLiteral("Turn Sound"));
    turn->setObjectName(QStringLiteral("TurnSound1"));
    auto *turnGroup = new QActionGroup(turn);
    turnGroup->addAction(checkItem(turn, "Classic1", QStringLiteral("Classic"), false))->setChecked(true);
    turnGroup->addAction(checkItem(turn, "New1", QStringLiteral("New"), false));
    QMenu *speed = options->addMenu(QStringLiteral("Bot Speed"));
    speed->setObjectName(QStringLiteral("BotSpeed1"));
    Slow1 = checkItem(speed, "Slow1", QStringLiteral("Slow"), true);
    Normal1 = checkItem(speed, "Normal1", QStringLiteral("Normal"), true);
    Fast1 = checkItem(speed, "Fast1", QStringLiteral("Fast"), true);
    Slow1->setData(2000);
    Normal1->setData(1000);
    Fast1->setData(500);
    options->addSeparator();
    item(options, "TextColor1", QStringLiteral("Text Color"), false);
    QMenu *size = options->addMenu(QStringLiteral("Text Size"));
    size->setObjectName(QStringLiteral("TextSize1"));
    for (const char *n : {"8", "10", "12", "14"})
        checkItem(size, (QByteArray("N") + n + "1").constData(), QString::fromLatin1(n), false);
    item(options, "ScrollChatOff1", QStringLiteral("Scroll Chat Off"), false, QKeySequence(QStringLiteral("Ctrl+S")));
    item(options, "ClearMainChat1", QStringLiteral("Clear Main Chat"), false);
    item(options, "ResetScreenLocation1", QStringLiteral("Reset Screen Location"), false);
    options->addSeparator();
    JustWatch1 = checkItem(options, "JustWatch1", QStringLiteral("Just Watch"), true);
}

void MainMenu::createViewAndHelpMenus(QMainWindow &window)
{
    QMenu *view = window.menuBar()->addMenu(QStringLiteral("View"));
    item(view, "ViewTally1", QStringLiteral("View Tally"), false);
    item(view, "SpyList1", QStringLiteral("Spy List"), false);
    item(view, "PhraseList1", QStringLiteral("Phrase List"), false);
    QMenu *help = window.menuBar()->addMenu(QStringLiteral("Help"));
    item(help, "Content1", QStringLiteral("Content"), false, QKeySequence(QStringLiteral("F1")));
    help->addSeparator();
    item(help, "About1", QStringLiteral("About"), false);
}

void MainMenu::markBotspeed(int ms)
{
    Slow1->setChecked(ms == 2000);
    Normal1->setChecked(ms == 1000);
    Fast1->setChecked(ms == 500);
}
