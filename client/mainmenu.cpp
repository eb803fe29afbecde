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
    QMenu *file = window.menuBar()->addMenu(QStringLiteral("&File"));
    m_hostGame =
        item(file, "HostGame1", QStringLiteral("Host a Game..."), true, QKeySequence(QStringLiteral("Ctrl+H")));
    m_joinGame =
        item(file, "JoinGame1", QStringLiteral("Join a Game..."), true, QKeySequence(QStringLiteral("Ctrl+J")));
    m_soloGame = item(file, "SoloGame1", QStringLiteral("Solo Game"));
    m_startGame = item(file, "StartGame1", QStringLiteral("Start Game"), false);
    // The board's own Ctrl+N presses START GAME; here the key is only shown (and works while
    // the menu is open), so the two never compete for it.
    m_startGame->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    m_startGame->setShortcutContext(Qt::WidgetShortcut);
    file->addSeparator();
    m_exitGame = item(file, "Exit1", QStringLiteral("Exit"));
}

void MainMenu::createOptionsMenu(QMainWindow &window)
{
    QMenu *options = window.menuBar()->addMenu(QStringLiteral("&Options"));
    m_playSounds = checkItem(options, "PlaySounds1", QStringLiteral("Play Sounds"), true);
    m_playChatterSounds = checkItem(options, "PlayChatterSounds1", QStringLiteral("Play Chatter Sounds"), true);
    QMenu *turn = options->addMenu(QStringLiteral("Turn Sound"));
    turn->setObjectName(QStringLiteral("TurnSound1"));
    auto *turnGroup = new QActionGroup(turn);
    m_classicTurnSound = turnGroup->addAction(checkItem(turn, "Classic1", QStringLiteral("Classic"), true));
    m_newTurnSound = turnGroup->addAction(checkItem(turn, "New1", QStringLiteral("New"), true));
    m_classicTurnSound->setData(0);
    m_newTurnSound->setData(1);
    QMenu *speed = options->addMenu(QStringLiteral("Bot Speed"));
    speed->setObjectName(QStringLiteral("BotSpeed1"));
    m_slowBots = checkItem(speed, "Slow1", QStringLiteral("Slow"), true);
    m_normalBots = checkItem(speed, "Normal1", QStringLiteral("Normal"), true);
    m_fastBots = checkItem(speed, "Fast1", QStringLiteral("Fast"), true);
    m_slowBots->setData(gamedefaults::BotSlowMs);
    m_normalBots->setData(gamedefaults::BotNormalMs);
    m_fastBots->setData(gamedefaults::BotFastMs);
    options->addSeparator();
    m_textColor = item(options, "TextColor1", QStringLiteral("Text Color"));
    QMenu *size = options->addMenu(QStringLiteral("Text Size"));
    size->setObjectName(QStringLiteral("TextSize1"));
    for (int points : {8, 10, 12, 14}) {
        QAction *n = checkItem(size, (QByteArray("N") + QByteArray::number(points) + "1").constData(),
                               QString::number(points), true);
        n->setData(points);
        m_textSizes.append(n);
    }
    m_scrollChatOff = checkItem(options, "ScrollChatOff1", QStringLiteral("Scroll Chat Off"), true);
    m_scrollChatOff->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    m_clearMainChat = item(options, "ClearMainChat1", QStringLiteral("Clear Main Chat"));
    m_resetScreenLocation = item(options, "ResetScreenLocation1", QStringLiteral("Reset Screen Location"));
    options->addSeparator();
    m_justWatch = checkItem(options, "JustWatch1", QStringLiteral("Just Watch"), true);
    options->addSeparator();
    m_openPortOnRouter = checkItem(options, "OpenPortOnRouter1", QStringLiteral("Open Port on Router"), true);
}

void MainMenu::createViewAndHelpMenus(QMainWindow &window)
{
    QMenu *view = window.menuBar()->addMenu(QStringLiteral("&View"));
    m_viewTally = item(view, "ViewTally1", QStringLiteral("View Tally"));
    m_spyList = item(view, "SpyList1", QStringLiteral("Spy List"));
    m_phraseList = item(view, "PhraseList1", QStringLiteral("Phrase List"));
    m_colourSymbols = checkItem(view, "ColourSymbols1", QStringLiteral("Colour Symbols"), true);
    QMenu *help = window.menuBar()->addMenu(QStringLiteral("&Help"));
    m_helpContent = item(help, "Content1", QStringLiteral("Content"), true, QKeySequence(QStringLiteral("F1")));
    help->addSeparator();
    m_about = item(help, "About1", QStringLiteral("About"));
}

void MainMenu::markTextSize(int points)
{
    for (QAction *n : m_textSizes)
        n->setChecked(n->data().toInt() == points);
}

void MainMenu::markTurnSound(int tag)
{
    (tag == 1 ? m_newTurnSound : m_classicTurnSound)->setChecked(true);
}

void MainMenu::markBotspeed(int ms)
{
    m_slowBots->setChecked(ms == gamedefaults::BotSlowMs);
    m_normalBots->setChecked(ms == gamedefaults::BotNormalMs);
    m_fastBots->setChecked(ms == gamedefaults::BotFastMs);
}
