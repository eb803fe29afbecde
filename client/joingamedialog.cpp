#include "joingamedialog.h"

#include "framedcombobox.h"
#include "framedlineedit.h"
#include "joinaddress.h"
#include "lansearch.h"
#include "netplaymodule.h"
#include "tablecode.h"
#include "windowstyle.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

namespace {

constexpr int Width = 440;
constexpr int Height = 466;
constexpr int GameListHeight = 112;
constexpr int KeyRole = Qt::UserRole;
constexpr int AddressRole = Qt::UserRole + 1;

const QString HostCaption = QStringLiteral("Host's address:");
const QString ServerCaption = QStringLiteral("Table server:");

QString codeNote(const QString &tableServer)
{
    if (tableServer.isEmpty())
        return QStringLiteral("For a game at a table on a table server: its code here and the server's address "
                              "above. A table server runs games for friends anywhere, with nothing to set up on "
                              "a router; see \"Running a table server\" in the README.");
    return QStringLiteral("For a game at a table on a table server: its code here and the server's address "
                          "above (the one you used last is %1).")
        .arg(tableServer.left(60));
}

} // namespace

void JoinGameDialog::lookUpWithSystem(const QString &host, QObject *context, std::function<void(QString)> done)
{
    NetplayModule().lookUpHost(host, context, std::move(done));
}

JoinGameDialog::JoinGameDialog(QWidget *parent)
    : NetplayDialog(QStringLiteral("Dorvane - Join a Game"), QStringLiteral("Join Game"), QSize(Width, Height),
                    parent)
    , m_browser(new LanSearch(this))
{
    setObjectName(QStringLiteral("JoinGameDialog"));
    QLabel *heading = addText(QStringLiteral("Join a friend's game"), 22, 16, true);
    heading->setAlignment(Qt::AlignCenter);
    addGap(10);
    createAddressRows();
    addGap(6);
    createGameList();
    finishLayout();

    connect(m_browser, &LanSearch::gameFound, this, &JoinGameDialog::showGame);
    connect(m_browser, &LanSearch::gameLost, this, &JoinGameDialog::dropGame);
    connect(m_browser, &LanSearch::noteChanged, m_lanNote, &QLabel::setText);
}

// The name, the host's address and the hint under it.
void JoinGameDialog::createAddressRows()
{
    QGridLayout *grid = addFieldGrid();
    addNameRow(*grid, 0);
    grid->setRowMinimumHeight(1, 7);
    m_address = new FramedComboBox(this);
    m_address->setObjectName(QStringLiteral("combo_address"));
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->setFont(textFont(12, false));
    m_address->lineEdit()->setMaxLength(JoinAddress::MaxHostChars + 6);
    // What is typed is what is joined: no silent completion to a recent address.
    m_address->setCompleter(nullptr);
    m_addressCaption = addField(*grid, 2, HostCaption, m_address, 22);
    connect(m_address->lineEdit(), &QLineEdit::textEdited, this, [this] {
        m_addressTyped = true;
        showProblem(QString());
    });
    grid->setRowMinimumHeight(3, 2);
    QLabel *hint = makeText(QStringLiteral("A computer's name or an address like 192.168.1.20; add :port for a "
                                           "host on another port."),
                            11, false);
    hint->setWordWrap(true);
    hint->setMinimumHeight(scaled(30));
    grid->addWidget(hint, 4, 1);

    auto *code = new FramedLineEdit(QString(), this);
    code->setObjectName(QStringLiteral("edit_tablecode"));
    code->setFont(textFont(12, false));
    code->setTextMargins(FramedLineEdit::PaddedMargins);
    code->setMaxLength(20);
    code->setPlaceholderText(QStringLiteral("none: a game hosted by a player"));
    m_code = code;
    addField(*grid, 5, QStringLiteral("Table code:"), m_code, 21);
    connect(m_code, &QLineEdit::textChanged, this, [this] {
        showProblem(QString());
        // With a code the address names the table server: the last one replaces a recent
        // host's address the player did not type.
        const bool table = !tableCode().isEmpty();
        m_addressCaption->setText(table ? ServerCaption : HostCaption);
        if (table && !m_tableServer.isEmpty() && (!m_addressTyped || address().isEmpty()))
            setAddress(m_tableServer);
    });
    grid->setRowMinimumHeight(6, 2);
    m_codeNote = makeText(codeNote(QString()), 11, false);
    m_codeNote->setObjectName(QStringLiteral("label_tablecodenote"));
    m_codeNote->setWordWrap(true);
    m_codeNote->setMinimumHeight(scaled(44));
    grid->addWidget(m_codeNote, 7, 1);
}

// The games announced on the local network and the note on their search.
void JoinGameDialog::createGameList()
{
    addText(QStringLiteral("Games on your local network:"), 18, 12, true);
    addGap(2);
    m_games = new QListWidget(this);
    m_games->setObjectName(QStringLiteral("list_games"));
    m_games->setFont(textFont(12, false));
    windowstyle::setWhiteField(*m_games);
    m_games->setFixedHeight(scaled(GameListHeight));
    addControl(m_games, GameListHeight);
    connect(m_games, &QListWidget::itemClicked, this, &JoinGameDialog::chooseGame);
    connect(m_games, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        chooseGame(item);
        confirm();
    });
    addGap(2);
    m_lanNote = addText(QString(), 30, 11, false);
    m_lanNote->setObjectName(QStringLiteral("label_lannote"));
    m_lanNote->setWordWrap(true);
}

JoinGameDialog::~JoinGameDialog() = default;

void JoinGameDialog::setRecentAddresses(const QStringList &addresses)
{
    m_address->clear();
    m_address->addItems(addresses);
    m_addressTyped = false;
    m_address->setCurrentIndex(addresses.isEmpty() ? -1 : 0);
}

QString JoinGameDialog::address() const
{
    return m_address->currentText().trimmed();
}

void JoinGameDialog::setAddress(const QString &text)
{
    m_address->setEditText(text);
}

QString JoinGameDialog::tableCode() const
{
    return m_code->text().trimmed();
}

void JoinGameDialog::setTableCode(const QString &text)
{
    m_code->setText(text);
}

void JoinGameDialog::setTableServer(const QString &address)
{
    m_tableServer = address;
    m_codeNote->setText(codeNote(address));
}

QStringList JoinGameDialog::listedGames() const
{
    QStringList lines;
    for (int i = 0; i < m_games->count(); ++i)
        lines.append(m_games->item(i)->text());
    return lines;
}

QString JoinGameDialog::lanNote() const
{
    return m_lanNote->text();
}

void JoinGameDialog::showGame(const LanGame &game)
{
    for (int i = 0; i < m_games->count(); ++i) {
        QListWidgetItem *item = m_games->item(i);
        if (item->data(KeyRole).toString() == game.key) {
            item->setText(game.listText());
            item->setData(AddressRole, game.joinText());
            return;
        }
    }
    auto *item = new QListWidgetItem(game.listText(), m_games);
    item->setData(KeyRole, game.key);
    item->setData(AddressRole, game.joinText());
}

void JoinGameDialog::dropGame(const QString &key)
{
    for (int i = 0; i < m_games->count(); ++i) {
        if (m_games->item(i)->data(KeyRole).toString() == key) {
            delete m_games->takeItem(i);
            return;
        }
    }
}

void JoinGameDialog::chooseGame(QListWidgetItem *item)
{
    if (!item)
        return;
    setAddress(item->data(AddressRole).toString());
    m_code->clear(); // a game on the local network is hosted by a player
    showProblem(QString());
}

void JoinGameDialog::confirm()
{
    if (!m_confirm->isEnabled() || !nameAccepted())
        return;
    // The code is only ever what its own field holds.
    const QString code = tablecode::normalize(tableCode());
    if (!tableCode().isEmpty() && code.isEmpty()) {
        showProblem(QStringLiteral("\"%1\" is not a table code: a code has eight letters and digits, like "
                                   "K7Q2-M9XA.")
                        .arg(tableCode().left(20)));
        m_code->setFocus();
        return;
    }
    const JoinAddress address = JoinAddress::parse(m_address->currentText());
    if (!address.valid()) {
        showProblem(!code.isEmpty() && address.host.isEmpty() && m_address->currentText().trimmed().isEmpty()
                        ? QStringLiteral("Please type the address of the table server that holds the table.")
                        : address.problem);
        m_address->setFocus();
        return;
    }
    const quint64 lookup = ++m_lookup;
    const QString name = playerName();
    const QString text = address.text();
    if (address.dottedIPv4() || address.ipv6()) {
        lookedUp(lookup, name, text, code, QString());
        return;
    }
    showProblem(QStringLiteral("Looking up %1...").arg(address.host.left(60)));
    m_confirm->setEnabled(false);
    QPointer<JoinGameDialog> self(this);
    m_resolver(address.host, this, [self, lookup, name, text, code](const QString &problem) {
        if (self)
            self->lookedUp(lookup, name, text, code, problem);
    });
}

void JoinGameDialog::lookedUp(quint64 lookup, const QString &name, const QString &address, const QString &code,
                              const QString &problem)
{
    if (lookup != m_lookup || !isVisible())
        return; // cancelled, or confirmed again since
    m_confirm->setEnabled(true);
    if (!problem.isEmpty()) {
        showProblem(problem);
        m_address->setFocus();
        return;
    }
    showProblem(QStringLiteral("Connecting to %1...").arg(address));
    m_confirm->setEnabled(false);
    m_connecting = true;
    if (code.isEmpty())
        Q_EMIT joinRequested(name, address);
    else
        Q_EMIT tableJoinRequested(name, address, code);
}

void JoinGameDialog::joined()
{
    m_connecting = false;
    showProblem(QString());
    accept();
}

void JoinGameDialog::joinFailed(const QString &why)
{
    m_connecting = false;
    m_confirm->setEnabled(true);
    showProblem(why);
    m_address->setFocus();
}

void JoinGameDialog::showEvent(QShowEvent *event)
{
    NetplayDialog::showEvent(event);
    m_games->clear();
    m_browser->start();
}

void JoinGameDialog::hideEvent(QHideEvent *event)
{
    ++m_lookup;
    if (m_connecting) {
        m_connecting = false;
        Q_EMIT joinCancelled();
    }
    m_confirm->setEnabled(true);
    m_browser->stop();
    NetplayDialog::hideEvent(event);
}
