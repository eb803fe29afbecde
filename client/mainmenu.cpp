#include "mainmenu.h"

#include "gamedefaults.h"

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
    HostGame1 =
        item(file, "HostGame1", QStringLiteral("Host a Game..."), true, QKeySequence(QStringLiteral("Ctrl+H")));
    JoinGame1 =
        item(file, "JoinGame1", QStringLiteral("Join a Game..."), true, QKeySequence(QStringLiteral("Ctrl+J")));
    SoloGame1 = item(file, "SoloGame1", QStringLiteral("Solo Game"));
    StartGame1 = item(file, "StartGame1", QStringLiteral("Start Game"), false);
    file->addSeparator();
    Exit1 = item(file, "Exit1", QStringLiteral("Exit"));
}

void MainMenu::createOptionsMenu(QMainWindow &window)
{
    QMenu *options = window.menuBar()->addMenu(QStringLiteral("Options"));
    PlaySounds1 = checkItem(options, "PlaySounds1", QStringLiteral("Play Sounds"), true);
    PlaySounds1->setChecked(true);
    PlayChatterSounds1 = checkItem(options, "PlayChatterSounds1", QStringLiteral("Play Chatter Sounds"), true);
    QMenu *turn = options->addMenu(QStringLiteral("Turn Sound"));
    turn->setObjectName(QStringLiteral("TurnSound1"));
    auto *turnGroup = new QActionGroup(turn);
    Classic1 = turnGroup->addAction(checkItem(turn, "Classic1", QStringLiteral("Classic"), true));
    New1 = turnGroup->addAction(checkItem(turn, "New1", QStringLiteral("New"), true));
    Classic1->setData(0);
    New1->setData(1);
    Classic1->setChecked(true);
    QMenu *speed = options->addMenu(QStringLiteral("Bot Speed"));
    speed->setObjectName(QStringLiteral("BotSpeed1"));
    Slow1 = checkItem(speed, "Slow1", QStringLiteral("Slow"), true);
    Normal1 = checkItem(speed, "Normal1", QStringLiteral("Normal"), true);
    Fast1 = checkItem(speed, "Fast1", QStringLiteral("Fast"), true);
    Slow1->setData(gamedefaults::BotSlowMs);
    Normal1->setData(gamedefaults::BotNormalMs);
    Fast1->setData(gamedefaults::BotFastMs);
    options->addSeparator();
    TextColor1 = item(options, "TextColor1", QStringLiteral("Text Color"));
    QMenu *size = options->addMenu(QStringLiteral("Text Size"));
    size->setObjectName(QStringLiteral("TextSize1"));
    for (int points : {8, 10, 12, 14}) {
        QAction *n = checkItem(size, (QByteArray("N") + QByteArray::number(points) + "1").constData(),
                               QString::number(points), true);
        n->setData(points);
        TextSizes.append(n);
    }
    ScrollChatOff1 = checkItem(options, "ScrollChatOff1", QStringLiteral("Scroll Chat Off"), true);
    ScrollChatOff1->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    ClearMainChat1 = item(options, "ClearMainChat1", QStringLiteral("Clear Main Chat"));
    ResetScreenLocation1 = item(options, "ResetScreenLocation1", QStringLiteral("Reset Screen Location"));
    options->addSeparator();
    JustWatch1 = checkItem(options, "JustWatch1", QStringLiteral("Just Watch"), true);
    options->addSeparator();
    OpenPortOnRouter1 = checkItem(options, "OpenPortOnRouter1", QStringLiteral("Open Port on Router"), true);
    OpenPortOnRouter1->setChecked(true);
}

void MainMenu::createViewAndHelpMenus(QMainWindow &window)
{
    QMenu *view = window.menuBar()->addMenu(QStringLiteral("View"));
    ViewTally1 = item(view, "ViewTally1", QStringLiteral("View Tally"));
    SpyList1 = item(view, "SpyList1", QStringLiteral("Spy List"));
    PhraseList1 = item(view, "PhraseList1", QStringLiteral("Phrase List"));
    QMenu *help = window.menuBar()->addMenu(QStringLiteral("Help"));
    Content1 = item(help, "Content1", QStringLiteral("Content"), true, QKeySequence(QStringLiteral("F1")));
    help->addSeparator();
    About1 = item(help, "About1", QStringLiteral("About"));
}

void MainMenu::markTextSize(int points)
{
    for (QAction *n : TextSizes)
        n->setChecked(n->data().toInt() == points);
}

void MainMenu::markTurnSound(int tag)
{
    (tag == 1 ? New1 : Classic1)->setChecked(true);
}

void MainMenu::markBotspeed(int ms)
{
    Slow1->setChecked(ms == gamedefaults::BotSlowMs);
    Normal1->setChecked(ms == gamedefaults::BotNormalMs);
    Fast1->setChecked(ms == gamedefaults::BotFastMs);
}
