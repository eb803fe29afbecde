#include "downloadform.h"

#include "folders.h"
#include "gradientbutton.h"
#include "httpget.h"
#include "inifile.h"
#include "jpegimage.h"
#include "programfolder.h"
#include "qtmessageboxes.h"
#include "roundedpanel.h"
#include "shellopen.h"
#include "windowstyle.h"
#include "workarea.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTextLayout>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const char *const InviteText = "Download the free Vorn22 Lobby to play Dorvane and our other games online with "
                               "players from all over the world.";
const char *const GetText = "Download and Install the Lobby Now";
const char *const SoloText =
    "To proceed to the game without the ability to play against others click the button below.";
const char *const FirewallText =
    "Note: Even if you are playing offline, you will need to configure your FIREWALL to allow "
    "the game to access the internet components.";
const char *const LobbyText =
    "Already have the Vorn22 Lobby and want to play with others? The button below closes this "
    "game and opens the lobby.";
const char *const JoinText = "Want to play with friends? The button below opens Join a Game..., where you type a "
                             "friend's address or pick a game on your network.";
// In place of the download while no installer address is configured.
const char *const FriendsHeading = "Play with Friends";
const char *const FriendsText =
    "Host a game with File > Host a Game... and give your friends this computer's address, or join a "
    "friend's game with Play with Others.";
const char *const NoLobbyText =
    "The Vorn22 Lobby was not found. Please close this game, then open the Vorn22 Lobby from "
    "its desktop icon or from your applications menu.";

// The panels over the planks: cream inside a brown border; the progress box inset in them.
const QColor PanelFill(250, 247, 232);
const QColor ProgressFill(236, 232, 212);
const QColor ProgressBorder(190, 180, 150);
const QColor ProgressBlue(16, 70, 130);
const QColor WarningRed(200, 0, 0);
const QColor DisabledRed(180, 130, 120);
constexpr int TextPixels = 13;
constexpr int HeadingPixels = 17;

QFrame *makePanel(const QString &name, QWidget *parent)
{
    auto *panel = new RoundedPanel(PanelFill, windowstyle::RimBrown, 2, 8, parent);
    panel->setObjectName(name);
    return panel;
}

QLabel *makeText(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setFont(windowstyle::plainFont(TextPixels));
    windowstyle::setTextColour(*label, Qt::black);
    return label;
}

QLabel *makeHeading(const QString &name, const QString &text, QWidget *parent)
{
    QLabel *heading = makeText(name, text, parent);
    heading->setAlignment(Qt::AlignHCenter);
    heading->setFont(windowstyle::plainFont(HeadingPixels, true));
    windowstyle::setTextColour(*heading, windowstyle::HeadingGreen);
    return heading;
}

GradientButton *makeButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new GradientButton(caption, parent);
    button->setObjectName(name);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

const QString SettingsSection = QStringLiteral("Dorvane");

// The last component of the address's path ("vnlsetup.exe"); a query or fragment is no
// part of it, and an address without one gives the usual installer name.
QString installerName(const QString &url)
{
    const QString name = QUrl(url).fileName();
    return name.isEmpty() ? QString::fromLatin1(Tdownload::DefaultInstallerName) : name;
}

// Host names kept for examples and for names that never resolve.
bool reservedHost(const QString &host)
{
    for (const char *domain : {"invalid", "example", "test", "example.com", "example.net", "example.org"}) {
        const QString name = QString::fromLatin1(domain);
        if (host == name || host.endsWith(QLatin1Char('.') + name))
            return true;
    }
    return false;
}

// What the phase line says about a failed get: the server's status, or why no answer came.
QString failureText(const HttpGetResult &result)
{
    if (result.status != 0)
        return QStringLiteral("The server answered %1 %2").arg(result.status).arg(result.reason);
    return QStringLiteral("Download failed: ") + result.reason;
}

// At most maxLines lines of text as they wrap in width pixels (inside a word too long for
// a line as well); a longer text ends in an ellipsis. The breaks are written into the
// text, so a label shows exactly these lines whatever a server sent.
QString fitLines(const QString &text, const QFont &font, int width, int maxLines)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    int start = 0;
    for (QTextLine line = layout.createLine(); line.isValid() && lines.size() < maxLines;
         line = layout.createLine()) {
        line.setLineWidth(width);
        start = line.textStart();
        lines << text.mid(start, line.textLength()).trimmed();
    }
    layout.endLayout();
    const QString rest = text.mid(start).trimmed();
    if (!lines.isEmpty() && rest.size() > lines.last().size())
        lines.last() = QFontMetrics(font).elidedText(rest, Qt::ElideRight, width);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

Tdownload::Tdownload(QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , HttpCli1(new HttpGet(this))
    , m_programFolder(programFolder())
    , m_ownShell(std::make_unique<DesktopShellOpen>())
    , m_ownFolders(std::make_unique<SystemFolders>())
    , m_ownBoxes(std::make_unique<QtMessageBoxes>())
    , m_shell(m_ownShell.get())
    , m_folders(m_ownFolders.get())
    , m_boxes(m_ownBoxes.get())
{
    setObjectName(QStringLiteral("Tdownload"));
    setWindowTitle(QStringLiteral("Dorvane - Play Online"));
    setFont(windowstyle::arial());
    setFixedSize(FormWidth, FormHeight);
    windowstyle::setWoodBackground(*this, windowstyle::woodTile());
    createLayout();
    updateOffer();

    HttpCli1->setObjectName(QStringLiteral("HttpCli1"));
    HttpCli1->OnHeaderData = [this](HttpGet *, const QString &) { HttpCli1HeaderData(); };
    HttpCli1->OnDocBegin = [this](HttpGet *) { HttpCli1DocBegin(); };
    HttpCli1->OnDocData = [this](HttpGet *, qint64 received) { HttpCli1DocData(received); };
}

Tdownload::~Tdownload() = default;

void Tdownload::setShellOpen(ShellOpen *shell)
{
    m_shell = shell ? shell : m_ownShell.get();
}

void Tdownload::setFolders(Folders *folders)
{
    m_folders = folders ? folders : m_ownFolders.get();
}

void Tdownload::setMessageBoxes(MessageBoxes *boxes)
{
    m_boxes = boxes ? boxes : m_ownBoxes.get();
}

void Tdownload::setExitGame(std::function<void()> exitGame)
{
    m_exitGame = std::move(exitGame);
}

void Tdownload::setJoinGame(std::function<void()> joinGame)
{
    m_joinGame = std::move(joinGame);
    updateOffer();
}

void Tdownload::setLobbyProgram(const QString &path)
{
    m_lobbyProgram = path;
    updateOffer();
}

void Tdownload::setDownloadUrl(const QString &url)
{
    m_url = url;
    updateOffer();
}

bool Tdownload::isConfigured(const QString &url)
{
    const QUrl address(url.trimmed(), QUrl::StrictMode);
    if (!address.isValid()
        || (address.scheme() != QLatin1String("http") && address.scheme() != QLatin1String("https")))
        return false;
    const QString host = address.host().toLower();
    return !host.isEmpty() && !reservedHost(host);
}

QString Tdownload::configuredUrl()
{
    const QString chosen = qEnvironmentVariable(UrlVariable);
    return chosen.isEmpty() ? QString::fromLatin1(DefaultUrl) : chosen;
}

void Tdownload::setSettingsPath(const QString &path)
{
    m_settingsPath = path;
    const QSignalBlocker quiet(m_showAtStart);
    m_showAtStart->setChecked(showAtStart(path));
}

bool Tdownload::showAtStart(const QString &settingsPath)
{
    return IniFile(settingsPath).readString(SettingsSection, QString::fromLatin1(ShowAtStartKey))
           != QLatin1String("false");
}

void Tdownload::storeShowAtStart(bool on)
{
    if (m_settingsPath.isEmpty())
        return;
    IniFile settings(m_settingsPath);
    if (!settings.writeString(SettingsSection, QString::fromLatin1(ShowAtStartKey),
                              on ? QStringLiteral("true") : QStringLiteral("false")))
        m_boxes->showMessage(QStringLiteral("\"Show at start\" could not be saved in %1.").arg(m_settingsPath));
}

void Tdownload::createLayout()
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(createDownloadPanel(), 0);
    auto *right = new QVBoxLayout;
    right->setSpacing(10);
    right->addWidget(createSoloPanel(), 1);
    right->addWidget(createLobbyPanel(), 1);
    right->addWidget(createShowAtStart(), 0, Qt::AlignRight);
    layout->addLayout(right, 1);
}

// "Show at start", on the planks below the panels.
QWidget *Tdownload::createShowAtStart()
{
    m_showAtStart = new QCheckBox(QStringLiteral("Show at start"), this);
    m_showAtStart->setObjectName(QStringLiteral("check_showatstart"));
    m_showAtStart->setFont(windowstyle::plainFont(TextPixels, true));
    windowstyle::setTextColour(*m_showAtStart, Qt::white);
    m_showAtStart->setChecked(true);
    m_showAtStart->setCursor(Qt::PointingHandCursor);
    connect(m_showAtStart, &QCheckBox::toggled, this, &Tdownload::storeShowAtStart);
    return m_showAtStart;
}

void Tdownload::updateOffer()
{
    const bool offered = isConfigured(m_url);
    getbutton->setVisible(offered);
    m_progressBox->setVisible(offered);
    m_downloadHeading->setText(offered ? QStringLiteral("Get the Vorn22 Lobby")
                                       : QString::fromLatin1(FriendsHeading));
    m_invite->setText(QString::fromLatin1(offered ? InviteText : FriendsText));
    const bool lobbyInstalled = QFileInfo::exists(m_lobbyProgram);
    m_lobbyText->setText(QString::fromLatin1(lobbyInstalled || !m_joinGame ? LobbyText : JoinText));
}

// The picture, the invitation, the download button and the progress of a download.
QWidget *Tdownload::createDownloadPanel()
{
    QFrame *panel = makePanel(QStringLiteral("panel_download"), this);
    panel->setFixedWidth(364);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(6);

    image_picture = new QLabel(panel);
    image_picture->setObjectName(QStringLiteral("image_picture"));
    image_picture->setFixedSize(340, 180);
    // Green under the picture, and in its place while it is missing.
    QPalette green = image_picture->palette();
    green.setColor(QPalette::Window, windowstyle::HeadingGreen);
    image_picture->setPalette(green);
    image_picture->setAutoFillBackground(true);
    column->addWidget(image_picture, 0, Qt::AlignHCenter);

    column->addSpacing(4);
    m_downloadHeading =
        makeHeading(QStringLiteral("label_heading1"), QStringLiteral("Get the Vorn22 Lobby"), panel);
    column->addWidget(m_downloadHeading);
    m_invite = makeText(QStringLiteral("label_invite"), QString::fromLatin1(InviteText), panel);
    m_invite->setAlignment(Qt::AlignHCenter);
    column->addWidget(m_invite);
    column->addStretch(1);

    GradientButton *get = makeButton(QStringLiteral("getbutton"), QString::fromLatin1(GetText), panel);
    get->setTextColors(WarningRed, DisabledRed);
    get->setMinimumHeight(40);
    getbutton = get;
    connect(getbutton, &QPushButton::clicked, this, &Tdownload::startDownload);
    column->addWidget(getbutton);

    column->addWidget(createProgressBox(panel));
    return panel;
}

// The progress and phase lines and "Stop Download" in an inset box.
QWidget *Tdownload::createProgressBox(QWidget *parent)
{
    auto *box = new RoundedPanel(ProgressFill, ProgressBorder, 1, 5, parent);
    box->setObjectName(QStringLiteral("panel_progress"));
    m_progressBox = box;
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(4);
    infolabel = makeText(QStringLiteral("infolabel"), QString(), box);
    infolabel3 = makeText(QStringLiteral("infolabel3"), QString(), box);
    infolabel2 = makeText(QStringLiteral("infolabel2"), QString(), box);
    infolabel2->hide();
    for (QLabel *line : {infolabel, infolabel3}) {
        line->setTextFormat(Qt::PlainText); // a server's reason text among them
        line->setFont(windowstyle::plainFont(TextPixels, true));
        windowstyle::setTextColour(*line, ProgressBlue);
        line->setAlignment(Qt::AlignCenter);
        line->setMinimumHeight(20);
        column->addWidget(line);
    }
    // Room for every line of the phase line from the start, so nothing moves when it fills.
    infolabel3->ensurePolished();
    infolabel3->setMinimumHeight(QFontMetrics(infolabel3->font()).lineSpacing() * PhaseLines + 2);
    infolabel->setProperty("tag", 0);

    abortbutton = makeButton(QStringLiteral("abortbutton"), QStringLiteral("Stop Download"), box);
    abortbutton->setEnabled(false);
    connect(abortbutton, &QPushButton::clicked, this, &Tdownload::stopDownload);
    column->addWidget(abortbutton, 0, Qt::AlignHCenter);
    return box;
}

QWidget *Tdownload::createSoloPanel()
{
    QFrame *panel = makePanel(QStringLiteral("panel_solo"), this);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);
    column->addStretch(1);
    column->addWidget(makeHeading(QStringLiteral("label_heading2"), QStringLiteral("Play Offline"), panel));
    column->addWidget(makeText(QStringLiteral("label_solo"), QString::fromLatin1(SoloText), panel));
    Button1 = makeButton(QStringLiteral("Button1"), QStringLiteral("Play Solo Game"), panel);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &Tdownload::playSolo);
    column->addWidget(Button1, 0, Qt::AlignHCenter);
    QLabel *firewall = makeText(QStringLiteral("label_firewall"), QString::fromLatin1(FirewallText), panel);
    windowstyle::setTextColour(*firewall, WarningRed);
    column->addWidget(firewall);
    column->addStretch(1);
    return panel;
}

QWidget *Tdownload::createLobbyPanel()
{
    QFrame *panel = makePanel(QStringLiteral("panel_lobby"), this);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);
    column->addStretch(1);
    column->addWidget(makeHeading(QStringLiteral("label_heading3"), QStringLiteral("Play Online"), panel));
    m_lobbyText = makeText(QStringLiteral("label_lobby"), QString::fromLatin1(LobbyText), panel);
    column->addWidget(m_lobbyText);
    Button2 = makeButton(QStringLiteral("Button2"), QStringLiteral("Play with Others"), panel);
    connect(Button2, &QPushButton::clicked, this, &Tdownload::playWithOthers);
    column->addWidget(Button2, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return panel;
}

void Tdownload::loadPicture()
{
    if (m_pictureLoaded)
        return;
    m_pictureLoaded = true;
    QString error;
    const QImage picture = JpegImage::load(QStringLiteral(":/images/download.jpg"), &error);
    if (!picture.isNull())
        image_picture->setPixmap(QPixmap::fromImage(picture));
}

void Tdownload::showEvent(QShowEvent *event)
{
    loadPicture();
    updateOffer(); // the lobby may have been installed meanwhile
    if (!m_placed) {
        m_placed = true;
        windowstyle::centreOn(*this, ScreenWorkArea().workArea());
    }
    QWidget::showEvent(event);
}

// Enter acts on the focused button, or on the default "Play Solo Game".
void Tdownload::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return QWidget::keyPressEvent(event);
    auto *focused = qobject_cast<QPushButton *>(focusWidget());
    (focused && focused->isEnabled() ? focused : Button1)->click();
}

int Tdownload::downloadState() const
{
    return infolabel->property("tag").toInt();
}

void Tdownload::setDownloadState(int state)
{
    infolabel->setProperty("tag", state);
}

QString Tdownload::downloadFolder() const
{
    return m_folders->writableFolder(m_programFolder);
}

void Tdownload::startDownload()
{
    // An address that cannot be reached is never tried: the button is not even offered.
    if (!isConfigured(m_url) || HttpCli1->busy())
        return;
    setDownloadState(StateStarted);
    infolabel2->setText(installerName(m_url));
    const QString fileName = downloadFolder() + infolabel2->text();
    getbutton->setEnabled(false);
    abortbutton->setEnabled(true);
    infolabel->setText(QStringLiteral("Loading"));

    // Anything short of the complete document (an HTTP error, a stop, a refused or broken
    // connection) is a failure, and the installer is not run.
    const HttpGetResult result = HttpCli1->Get(m_url, fileName);
    if (result.ok) {
        infolabel->setText(QStringLiteral("Received %1 bytes").arg(QFileInfo(fileName).size()));
    } else {
        infolabel->setText(QStringLiteral("Download Aborted"));
        // A stop already says so on the phase line; any other failure says why.
        if (downloadState() != StateFailed)
            showPhase(failureText(result));
        setDownloadState(StateFailed);
    }
    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);
    if (downloadState() != StateFailed)
        install(fileName);
}

void Tdownload::showPhase(const QString &text)
{
    infolabel3->ensurePolished();
    infolabel3->setText(fitLines(text, infolabel3->font(), infolabel3->contentsRect().width(), PhaseLines));
    infolabel3->setToolTip(text);
}

void Tdownload::install(const QString &fileName)
{
    infolabel3->setText(QStringLiteral("Installing"));
    QFile installer(fileName);
    installer.setPermissions(installer.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    if (!m_shell->startProgram(fileName, QProcess::splitCommand(QString::fromLatin1(InstallParameters)))) {
        m_boxes->showMessage(QString::fromLatin1(ErrorText));
        return;
    }
    exitGame();
}

void Tdownload::stopDownload()
{
    HttpCli1->Abort();
    infolabel->setText(QStringLiteral("Download has been aborted."));
    setDownloadState(StateFailed);
    infolabel3->setText(QStringLiteral("Download Aborted"));
}

void Tdownload::HttpCli1HeaderData()
{
    infolabel->setText(infolabel->text() + QLatin1Char('.'));
}

void Tdownload::HttpCli1DocBegin()
{
    infolabel3->setText(QStringLiteral("Downloading: ") + infolabel2->text());
}

void Tdownload::HttpCli1DocData(qint64 received)
{
    infolabel->setText(QStringLiteral("%1 bytes").arg(received));
}

void Tdownload::playSolo()
{
    close();
}

void Tdownload::playWithOthers()
{
    if (!QFileInfo::exists(m_lobbyProgram)) {
        if (m_joinGame) {
            // Without the lobby the game joins others itself.
            close();
            m_joinGame();
            return;
        }
        m_boxes->showMessage(QString::fromLatin1(NoLobbyText));
        return;
    }
    // The game stays when the lobby cannot start: the user would be left with neither.
    if (!m_shell->startProgram(m_lobbyProgram, {})) {
        m_boxes->showMessage(QString::fromLatin1(ErrorText));
        return;
    }
    exitGame();
}

void Tdownload::makeWayForGameWindow()
{
    if (abortbutton->isEnabled())
        stopDownload();
    close();
}

void Tdownload::exitGame()
{
    if (m_exitGame)
        m_exitGame();
    else
        QApplication::closeAllWindows();
}
