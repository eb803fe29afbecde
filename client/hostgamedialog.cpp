#include "hostgamedialog.h"

#include "framedlineedit.h"
#include "joinaddress.h"
#include "windowstyle.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int Width = 380;
constexpr int Height = 446;
constexpr int Indent = 20; // under a choice's text

const QString NoServerNote =
    QStringLiteral("A table server runs games for friends anywhere, with nothing to set up on your router: "
                   "someone runs one (see \"Running a table server\" in the README) and you type its address "
                   "here. The chat then shows the table's code your friends join with.");
const QString ServerNote =
    QStringLiteral("Nothing to set up on your router: the chat shows the table's code your friends join with.");

// White text beside a check box or choice; the mark inside keeps its dark colour (white
// would vanish in the white box).
void whiteText(QWidget &button)
{
    QPalette palette = button.palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    button.setPalette(palette);
}

} // namespace

HostGameDialog::HostGameDialog(QWidget *parent)
    : NetplayDialog(QStringLiteral("Dorvane - Host a Game"), QStringLiteral("Host Game"), QSize(Width, Height),
                    parent)
{
    setObjectName(QStringLiteral("HostGameDialog"));
    QLabel *heading = addText(QStringLiteral("Host a game for your friends"), 22, 16, true);
    heading->setAlignment(Qt::AlignCenter);
    addGap(4);
    QLabel *about =
        addText(QStringLiteral("The game you are in now ends, and a new one starts where you choose. Once it "
                               "runs, the chat shows what your friends type in \"Join a Game...\"."),
                48, 12, false);
    about->setWordWrap(true);
    addGap(10);
    addNameRow(*addFieldGrid(), 0);
    addGap(11);
    createPlaceRows();
    finishLayout();
}

// The two places a game can run, each with what belongs to it.
void HostGameDialog::createPlaceRows()
{
    const auto choice = [this](const char *name, const QString &text) {
        auto *button = new QRadioButton(text, this);
        button->setObjectName(QLatin1String(name));
        button->setFont(textFont(12, true));
        whiteText(*button);
        addControl(button, 22);
        return button;
    };
    m_here = choice("radio_here", QStringLiteral("On this computer"));
    m_here->setChecked(true);
    m_openPort = new QCheckBox(QStringLiteral("Open the game's port on the router"), this);
    m_openPort->setObjectName(QStringLiteral("check_openport"));
    m_openPort->setFont(textFont(12, false));
    whiteText(*m_openPort);
    m_openPort->setContentsMargins(Indent, 0, 0, 0);
    addControl(m_openPort, 22);
    m_router = addText(QStringLiteral("Ticked, this copy asks your router (UPnP) to forward TCP port 7772 to "
                                      "this computer while you host, so that friends on the internet can "
                                      "join; the forwarding is removed when you leave. Players on your own "
                                      "network need no forwarding."),
                       62, 11, false);
    m_router->setWordWrap(true);
    m_router->setContentsMargins(2 * Indent, 0, 0, 0); // under the check box's text
    // Greyed with the check box while the game is to run on a table server.
    QPalette dimmed = m_router->palette();
    dimmed.setColor(QPalette::Disabled, QPalette::WindowText, QColor(255, 255, 255, 140));
    m_router->setPalette(dimmed);
    addGap(6);

    m_table = choice("radio_tableserver", QStringLiteral("On a table server"));
    QGridLayout *grid = addFieldGrid();
    grid->setContentsMargins(0, 2, 0, 2);
    auto *server = new FramedLineEdit(QString(), this);
    server->setObjectName(QStringLiteral("edit_tableserver"));
    server->setFont(textFont(12, false));
    server->setTextMargins(FramedLineEdit::PaddedMargins);
    server->setMaxLength(JoinAddress::MaxHostChars + 8);
    server->setPlaceholderText(QStringLiteral("name or name:port"));
    m_server = server;
    addField(*grid, 0, QStringLiteral("Address:"), m_server, 21);
    m_serverNote = addText(NoServerNote, 44, 11, false);
    m_serverNote->setObjectName(QStringLiteral("label_tableservernote"));
    m_serverNote->setWordWrap(true);
    m_serverNote->setContentsMargins(Indent, 0, 0, 0);

    auto *group = new QButtonGroup(this);
    group->addButton(m_here);
    group->addButton(m_table);
    connect(m_here, &QRadioButton::toggled, this, [this] {
        showProblem(QString());
        showPlace();
    });
    // Typing a server chooses it.
    connect(m_server, &QLineEdit::textEdited, this, [this] {
        showProblem(QString());
        m_table->setChecked(true);
    });
    showPlace();
}

void HostGameDialog::showPlace()
{
    m_openPort->setEnabled(m_here->isChecked());
    m_router->setEnabled(m_here->isChecked());
    m_confirm->setText(m_here->isChecked() ? QStringLiteral("Host Game") : QStringLiteral("Open Table"));
}

void HostGameDialog::setOpenPort(bool on)
{
    m_openPort->setChecked(on);
}

bool HostGameDialog::openPort() const
{
    return m_openPort->isChecked();
}

void HostGameDialog::setTableServer(const QString &address)
{
    m_server->setText(address);
    m_serverNote->setText(address.isEmpty() ? NoServerNote : ServerNote);
}

QString HostGameDialog::tableServer() const
{
    return m_server->text().trimmed();
}

void HostGameDialog::setOnTableServer(bool on)
{
    (on ? m_table : m_here)->setChecked(true);
}

bool HostGameDialog::onTableServer() const
{
    return m_table->isChecked();
}

void HostGameDialog::confirm()
{
    if (!m_confirm->isEnabled() || !nameAccepted())
        return;
    if (!onTableServer()) {
        accept();
        Q_EMIT hostRequested(playerName(), openPort());
        return;
    }
    const JoinAddress server = JoinAddress::parse(m_server->text());
    if (!server.valid()) {
        showProblem(m_server->text().trimmed().isEmpty()
                        ? QStringLiteral("Please type the table server's address, or choose \"On this computer\".")
                        : server.problem);
        m_server->setFocus();
        return;
    }
    const quint64 lookup = ++m_lookup;
    const QString name = playerName();
    const QString text = server.text();
    if (server.dottedIPv4()) {
        lookedUp(lookup, name, text, QString());
        return;
    }
    showProblem(QStringLiteral("Looking up %1...").arg(server.host.left(60)));
    m_confirm->setEnabled(false);
    QPointer<HostGameDialog> self(this);
    m_resolver(server.host, this, [self, lookup, name, text](const QString &problem) {
        if (self)
            self->lookedUp(lookup, name, text, problem);
    });
}

void HostGameDialog::lookedUp(quint64 lookup, const QString &name, const QString &server, const QString &problem)
{
    if (lookup != m_lookup || !isVisible())
        return; // cancelled, or confirmed again since
    m_confirm->setEnabled(true);
    if (!problem.isEmpty()) {
        showProblem(problem);
        m_server->setFocus();
        return;
    }
    showProblem(QStringLiteral("Opening a table on %1...").arg(server));
    m_confirm->setEnabled(false);
    m_connecting = true;
    Q_EMIT tableRequested(name, server);
}

void HostGameDialog::opened()
{
    m_connecting = false;
    showProblem(QString());
    accept();
}

void HostGameDialog::openFailed(const QString &why)
{
    m_connecting = false;
    m_confirm->setEnabled(true);
    showProblem(why);
    m_server->setFocus();
}

void HostGameDialog::hideEvent(QHideEvent *event)
{
    ++m_lookup;
    if (m_connecting) {
        m_connecting = false;
        Q_EMIT tableCancelled();
    }
    m_confirm->setEnabled(true);
    NetplayDialog::hideEvent(event);
}
