#include "auxiliarywindows.h"

#include "aboutform.h"
#include "board.h"
#include "boardpictures.h"
#include "chatform.h"
#include "chatinput.h"
#include "clientgame.h"
#include "clientoptions.h"
#include "downloadform.h"
#include "errorguard.h"
#include "gamesession.h"
#include "helpform.h"
#include "mainmenu.h"
#include "phrasesform.h"
#include "picturebox.h"
#include "playeractions.h"
#include "sessionswitcher.h"
#include "spylistform.h"
#include "tallylistform.h"
#include "tallyrecord.h"

#include <QAction>
#include <QTimer>

AuxiliaryWindows::AuxiliaryWindows(Tchat &chat, AuxiliaryWindowsOptions options)
    : m_chat(chat)
    , m_options(std::move(options))
{
    if (!m_options.boxes)
        m_options.boxes = &chat.session().boxes();
    // A tally file that cannot be read is reported while the program starts.
    m_tally = std::make_unique<TallyRecord>(m_options.tallyPath, *m_options.boxes);
    if (m_options.createHost)
        m_options.createHost();
    wireMenu();
    wireGame();
}

AuxiliaryWindows::~AuxiliaryWindows()
{
    // The main window may outlive the windows: it must no longer call into them.
    m_chat.setShowDownload({});
    m_chat.session().game().setSpyRemover({});
}

void AuxiliaryWindows::wireMenu()
{
    MainMenu &menu = m_chat.menu();
    const auto onTriggered = [this](QAction *action, void (AuxiliaryWindows::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { guarded(*m_options.boxes, [this, handler] { (this->*handler)(); }); });
    };
    onTriggered(menu.viewTally(), &AuxiliaryWindows::showTally);
    onTriggered(menu.spyList(), &AuxiliaryWindows::showSpyList);
    onTriggered(menu.phraseList(), &AuxiliaryWindows::showPhraseEditor);
    onTriggered(menu.helpContent(), &AuxiliaryWindows::showHelp);
    onTriggered(menu.about(), &AuxiliaryWindows::showAbout);
    if (auto *logo = m_chat.board().findChild<PictureBox *>(QStringLiteral("image_logo"))) {
        connect(logo, &PictureBox::mouseReleased, this, [this](Qt::MouseButton button) {
            if (button == Qt::LeftButton)
                openLogoLink();
        });
    }
}

void AuxiliaryWindows::wireGame()
{
    ClientGame &game = m_chat.session().game();
    connect(&game, &ClientGame::spyArrived, &m_spectators, &SpectatorList::add);
    game.setSpyRemover([this](int number, const QString &name) { return m_spectators.remove(number, name); });
    setHosting(m_chat.session().state().amhost);
    connect(&m_chat, &Tchat::hostingStarted, this, [this] { setHosting(true); });
    // A game left from the menu takes its spectators along.
    connect(&m_chat, &Tchat::gameLeft, this, [this] {
        setHosting(false);
        m_spectators.clear();
    });
    connect(&game, &ClientGame::tallyGame, this, &AuxiliaryWindows::countGame);
    // Asked for while the main window is being shown: the download window follows from the
    // event loop, so the main window is on screen first and its start-up does not wait; the
    // keyboard focus stays with the main window. With "Show at start" off it is not even built.
    m_chat.setShowDownload([this] {
        if (!Tdownload::showAtStart(m_options.settingsPath))
            return;
        QTimer::singleShot(0, this, [this] {
            download().show();
            m_chat.activateWindow();
        });
    });
    // The Host and Join windows are never hidden behind it.
    for (QAction *opens : {m_chat.menu().hostGame(), m_chat.menu().joinGame()}) {
        connect(opens, &QAction::triggered, this, [this] {
            if (m_download)
                m_download->makeWayForGameWindow();
        });
    }
    connect(&m_chat, &Tchat::closed, this, &AuxiliaryWindows::closeAll);
}

void AuxiliaryWindows::setHosting(bool hosting)
{
    m_hosting = hosting;
    if (m_spylist)
        m_spylist->setHosting(hosting);
}

void AuxiliaryWindows::countGame(const QString &winner)
{
    const QStringList players = otherSeatNames();
    m_tally->addgame(winner, players); // an open tally window shows the change
    if (m_tallylist)
        m_tallylist->loadchecklist(players);
}

Ttallylist &AuxiliaryWindows::tallylist()
{
    if (!m_tallylist) {
        TtallylistOptions tally;
        tally.boxes = m_options.boxes;
        tally.record = m_tally.get();
        m_tallylist = std::make_unique<Ttallylist>(tally);
        m_tallylist->setMainWindow(&m_chat);
    }
    return *m_tallylist;
}

Tphrases &AuxiliaryWindows::phrases()
{
    if (!m_phrases) {
        m_phrases = std::make_unique<Tphrases>();
        m_phrases->setBackground(boardpictures::load(QStringLiteral("wood")));
        m_phrases->setMessageBoxes(m_options.boxes);
        if (!m_options.settingsPath.isEmpty())
            m_phrases->setSettingsPath(m_options.settingsPath);
        connect(m_phrases.get(), &Tphrases::phrasesChanged, this,
                [this](const QStringList &texts) { m_chat.options().setPhrases(texts); });
    }
    return *m_phrases;
}

Tspylist &AuxiliaryWindows::spylist()
{
    if (!m_spylist) {
        m_spylist = std::make_unique<Tspylist>(&m_spectators);
        m_spylist->setBackground(boardpictures::load(QStringLiteral("wood")));
        m_spylist->setKicking([this](int seat) { m_chat.session().actions().kicking(seat); });
        m_spylist->setHosting(m_hosting);
    }
    return *m_spylist;
}

Tabout &AuxiliaryWindows::about()
{
    if (!m_about)
        m_about = std::make_unique<Tabout>();
    return *m_about;
}

Tdownload &AuxiliaryWindows::download()
{
    if (!m_download) {
        m_download = std::make_unique<Tdownload>();
        m_download->setMessageBoxes(m_options.boxes);
        if (!m_options.settingsPath.isEmpty())
            m_download->setSettingsPath(m_options.settingsPath);
        // A started installer or lobby ends the game as File > "Exit" does.
        m_download->setExitGame([this] { m_chat.close(); });
        m_download->setJoinGame([this] { m_chat.sessions().showJoinDialog(); });
    }
    return *m_download;
}

Thelp &AuxiliaryWindows::help()
{
    if (!m_help) {
        m_help = std::make_unique<Thelp>();
        m_help->setShowAbout([this] { showAbout(); });
    }
    return *m_help;
}

QStringList AuxiliaryWindows::otherSeatNames() const
{
    QStringList names;
    const GameSession &session = m_chat.session();
    for (int seat = 1; seat <= ClientState::numseats; ++seat) {
        const SeatModel &shown = session.model().seats[seat];
        if (seat != session.state().myid && shown.status != SeatOccupant::Empty)
            names << shown.name;
    }
    return names;
}

void AuxiliaryWindows::showTally()
{
    tallylist().showTally(otherSeatNames());
}

void AuxiliaryWindows::showSpyList()
{
    spylist().showOver(m_chat.frameGeometry());
}

void AuxiliaryWindows::showPhraseEditor()
{
    phrases().editPhrases(m_chat.options().values().phrases, m_chat.frameGeometry());
}

void AuxiliaryWindows::showHelp()
{
    help().showHelp(m_chat.frameGeometry());
}

void AuxiliaryWindows::showAbout()
{
    about().showAbout(m_chat.frameGeometry());
}

void AuxiliaryWindows::openLogoLink()
{
    about().openMakerSite();
}

void AuxiliaryWindows::closeAll()
{
    for (QWidget *window : std::initializer_list<QWidget *>{m_tallylist.get(), m_about.get(), m_download.get(),
                                                            m_help.get(), m_phrases.get(), m_spylist.get()}) {
        if (window) // a window never opened was never made
            window->close();
    }
}
