#include "auxiliarywindows.h"

#include "aboutform.h"
#include "board.h"
#include "boardpictures.h"
#include "chatform.h"
#include "chatinput.h"
#include "clientgame.h"
#include "downloadform.h"
#include "errorguard.h"
#include "helpform.h"
#include "mainmenu.h"
#include "phrasesform.h"
#include "picturebox.h"
#include "playeractions.h"
#include "sessionswitcher.h"
#include "spylistform.h"
#include "tallylistform.h"

#include <QAction>
#include <QTimer>

AuxiliaryWindows::AuxiliaryWindows(Tchat &chat, AuxiliaryWindowsOptions options)
    : m_chat(chat)
    , m_options(std::move(options))
{
    if (!m_options.boxes)
        m_options.boxes = &chat.boxes();
    createWindows();
    wireWindows();
    wireMenu();
    wireGame();
}

AuxiliaryWindows::~AuxiliaryWindows()
{
    // The main window may outlive the windows: it must no longer call into them.
    m_chat.setTallyHook({});
    m_chat.setShowDownload({});
    m_chat.game().setSpyRemover({});
}

void AuxiliaryWindows::createWindows()
{
    TtallylistOptions tally;
    tally.tallyPath = m_options.tallyPath;
    tally.boxes = m_options.boxes;
    m_tallylist = std::make_unique<Ttallylist>(tally);
    m_phrases = std::make_unique<Tphrases>();
    if (m_options.createHost)
        m_options.createHost();
    m_spylist = std::make_unique<Tspylist>();
}

void AuxiliaryWindows::wireWindows()
{
    const QPixmap wood = boardpictures::load(QStringLiteral("wood"));
    m_tallylist->setMainWindow(&m_chat);
    m_spylist->setBackground(wood);
    m_phrases->setBackground(wood);
    m_phrases->setMessageBoxes(m_options.boxes);
    if (!m_options.settingsPath.isEmpty())
        m_phrases->setSettingsPath(m_options.settingsPath);
    connect(m_phrases.get(), &Tphrases::phrasesChanged, this,
            [this](const QStringList &texts) { m_chat.chatInput().setPhrases(texts); });
    m_spylist->setKicking([this](int seat) { m_chat.actions().kicking(seat); });
}

void AuxiliaryWindows::wireMenu()
{
    MainMenu &menu = m_chat.menu();
    const auto onTriggered = [this](QAction *action, void (AuxiliaryWindows::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { guarded(*m_options.boxes, [this, handler] { (this->*handler)(); }); });
    };
    onTriggered(menu.ViewTally1, &AuxiliaryWindows::showTally);
    onTriggered(menu.SpyList1, &AuxiliaryWindows::showSpyList);
    onTriggered(menu.PhraseList1, &AuxiliaryWindows::showPhraseEditor);
    onTriggered(menu.Content1, &AuxiliaryWindows::showHelp);
    onTriggered(menu.About1, &AuxiliaryWindows::showAbout);
    if (auto *logo = m_chat.board().findChild<PictureBox *>(QStringLiteral("image_logo"))) {
        connect(logo, &PictureBox::mouseReleased, this, [this](Qt::MouseButton button) {
            if (button == Qt::LeftButton)
                openLogoLink();
        });
    }
}

void AuxiliaryWindows::wireGame()
{
    ClientGame &game = m_chat.game();
    connect(&game, &ClientGame::spyArrived, m_spylist.get(), &Tspylist::addSpy);
    game.setSpyRemover([this](int number, const QString &name) { return m_spylist->removeSpy(number, name); });
    m_spylist->setHosting(m_chat.state().amhost);
    connect(&m_chat, &Tchat::hostingStarted, m_spylist.get(), [this] { m_spylist->setHosting(true); });
    // A game left from the menu takes its spectators along.
    connect(&m_chat, &Tchat::gameLeft, m_spylist.get(), [this] {
        m_spylist->setHosting(false);
        for (const QString &entry : m_spylist->entries())
            m_spylist->removeSpy(entry.section(QLatin1Char(':'), 0, 0).toInt(),
                                 entry.mid(entry.indexOf(QStringLiteral(": ")) + 2));
    });
    m_chat.setTallyHook([this](const QString &winner) { m_tallylist->addgame(winner, otherSeatNames()); });
    // Asked for while the main window is being shown: the download window follows from the
    // event loop, so the main window is on screen first and its start-up does not wait. The
    // download window stays on top; the keyboard focus stays with the main window.
    m_chat.setShowDownload([this] {
        QTimer::singleShot(0, this, [this] {
            download().show();
            m_chat.activateWindow();
        });
    });
    connect(&m_chat, &Tchat::closed, this, &AuxiliaryWindows::closeAll);
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
    for (int seat = 1; seat <= Board::NumSeats; ++seat) {
        const SeatModel &shown = m_chat.model().seats[seat];
        if (seat != m_chat.state().myid && shown.status != SeatOccupant::Empty)
            names << shown.name;
    }
    return names;
}

void AuxiliaryWindows::showTally()
{
    m_tallylist->showTally(otherSeatNames());
}

void AuxiliaryWindows::showSpyList()
{
    m_spylist->showOver(m_chat.frameGeometry());
}

void AuxiliaryWindows::showPhraseEditor()
{
    m_phrases->editPhrases(m_chat.chatInput().phrases(), m_chat.frameGeometry());
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
