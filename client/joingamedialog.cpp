#include "joingamedialog.h"

#include "joinaddress.h"
#include "lansearch.h"
#include "netplaymodule.h"
#include "windowstyle.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

namespace {

constexpr int Width = 440;
constexpr int Height = 392;
constexpr int FieldLeft = 112;
constexpr int KeyRole = Qt::UserRole;
constexpr int AddressRole = Qt::UserRole + 1;

const QString WhiteField = QStringLiteral("background: white; color: black; border: 1px solid black;");

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
    QLabel *heading = addText(QStringLiteral("Join a friend's game"), QRect(12, 10, Width - 24, 22), 16, true);
    heading->setAlignment(Qt::AlignCenter);
    addNameRow(42);

    QLabel *addressLabel = addText(QStringLiteral("Host's address:"), QRect(12, 70, FieldLeft - 18, 21), 12, true);
    addressLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_address = new QComboBox(this);
    m_address->setObjectName(QStringLiteral("combo_address"));
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->setGeometry(FieldLeft, 70, Width - FieldLeft - 12, 22);
    m_address->setFont(windowstyle::arial(12, false));
    m_address->setStyleSheet(QStringLiteral("QComboBox { %1 padding: 0 2px; }").arg(WhiteField));
    m_address->lineEdit()->setMaxLength(JoinAddress::MaxHostChars + 6);
    // What is typed is what is joined: no silent completion to a recent address.
    m_address->setCompleter(nullptr);
    addressLabel->setBuddy(m_address);
    connect(m_address->lineEdit(), &QLineEdit::textEdited, this, [this] { showProblem(QString()); });
    QLabel *hint =
        addText(QStringLiteral("A computer's name or an address like 192.168.1.20; add :port for a host "
                               "on another port."),
                QRect(FieldLeft, 94, Width - FieldLeft - 12, 30), 11, false);
    hint->setWordWrap(true);

    addText(QStringLiteral("Games on your local network:"), QRect(12, 130, Width - 24, 18), 12, true);
    m_games = new QListWidget(this);
    m_games->setObjectName(QStringLiteral("list_games"));
    m_games->setGeometry(12, 150, Width - 24, 112);
    m_games->setFont(windowstyle::arial(12, false));
    m_games->setStyleSheet(QStringLiteral("QListWidget { %1 }").arg(WhiteField));
    connect(m_games, &QListWidget::itemClicked, this, &JoinGameDialog::chooseGame);
    connect(m_games, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        chooseGame(item);
        confirm();
    });
    m_lanNote = addText(QString(), QRect(12, 264, Width - 24, 30), 11, false);
    m_lanNote->setObjectName(QStringLiteral("label_lannote"));
    m_lanNote->setWordWrap(true);

    connect(m_browser, &LanSearch::gameFound, this, &JoinGameDialog::showGame);
    connect(m_browser, &LanSearch::gameLost, this, &JoinGameDialog::dropGame);
    connect(m_browser, &LanSearch::noteChanged, m_lanNote, &QLabel::setText);
}

JoinGameDialog::~JoinGameDialog() = default;

void JoinGameDialog::setRecentAddresses(const QStringList &addresses)
{
    m_address->clear();
    m_address->addItems(addresses);
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
    showProblem(QString());
}

void JoinGameDialog::confirm()
{
    if (!m_confirm->isEnabled() || !nameAccepted())
        return;
    const JoinAddress address = JoinAddress::parse(m_address->currentText());
    if (!address.valid()) {
        showProblem(address.problem);
        m_address->setFocus();
        return;
    }
    const quint64 lookup = ++m_lookup;
    const QString name = playerName();
    const QString text = address.text();
    if (address.dottedIPv4()) {
        lookedUp(lookup, name, text, QString());
        return;
    }
    showProblem(QStringLiteral("Looking up %1...").arg(address.host.left(60)));
    m_confirm->setEnabled(false);
    QPointer<JoinGameDialog> self(this);
    m_resolver(address.host, this, [self, lookup, name, text](const QString &problem) {
        if (self)
            self->lookedUp(lookup, name, text, problem);
    });
}

void JoinGameDialog::lookedUp(quint64 lookup, const QString &name, const QString &address, const QString &problem)
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
    Q_EMIT joinRequested(name, address);
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
