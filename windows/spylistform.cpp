#include "spylistform.h"

#include "spectatorlist.h"
#include "windowstyle.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

Tspylist::Tspylist(SpectatorList *spectators, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("Tspylist"));
    setWindowTitle(QStringLiteral("Dorvane - Spys"));
    setFixedSize(FormWidth, FormHeight);
    m_spectators = spectators ? spectators : new SpectatorList(this);
    createControls();
    createMenu();
    showEntries();
}

void Tspylist::showEntries()
{
    m_list->addItems(m_spectators->entries());
    connect(m_spectators, &SpectatorList::entryAdded, m_list,
            [this](int index, const QString &entry) { m_list->insertItem(index, entry); });
    connect(m_spectators, &SpectatorList::entryRemoved, m_list,
            [this](int index) { delete m_list->takeItem(index); });
}

void Tspylist::createControls()
{
    m_title = new QLabel(QStringLiteral("Spy List"), this);
    m_title->setObjectName(QStringLiteral("label_spylist"));
    m_title->setGeometry(8, 6, FormWidth - 16, 20);
    m_title->setFont(windowstyle::arial(14, true));
    QPalette titlePalette = m_title->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::white);
    m_title->setPalette(titlePalette);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("listbox_spys"));
    m_list->setGeometry(8, 30, FormWidth - 16, 168);
    m_list->setFont(windowstyle::arial(12, false));
    windowstyle::setWhiteField(*m_list);
    // Moves without a pressed button must arrive too: they decide which entry a removal hits.
    m_list->setMouseTracking(true);
    m_list->viewport()->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);

    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("button_done"));
    m_done->setGeometry((FormWidth - 75) / 2, FormHeight - 35, 75, 25);
    m_done->setFont(windowstyle::arial(12, false));
    connect(m_done, &QPushButton::clicked, this, &Tspylist::closeWindow);
    windowstyle::closeOnEscape(*this, [this] { closeWindow(); });
}

void Tspylist::createMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("popup_kick"));
    m_kickAction = m_menu->addAction(QStringLiteral("Remove From Game"));
    m_kickAction->setObjectName(QStringLiteral("popup_kickhim"));
    m_kickAction->setEnabled(false);
    connect(m_kickAction, &QAction::triggered, this, &Tspylist::kickPointedSeat);
}

void Tspylist::setHosting(bool hosting)
{
    m_kickAction->setEnabled(hosting);
}

bool Tspylist::isHosting() const
{
    return m_kickAction->isEnabled();
}

void Tspylist::setBackground(const QPixmap &tile)
{
    m_background = tile;
    update();
}

void Tspylist::addSpy(int seat, const QString &name)
{
    m_spectators->add(seat, name);
}

bool Tspylist::removeSpy(int seat, const QString &name)
{
    return m_spectators->remove(seat, name);
}

QStringList Tspylist::entries() const
{
    QStringList texts;
    for (int i = 0; i < m_list->count(); ++i)
        texts.append(m_list->item(i)->text());
    return texts;
}

void Tspylist::showOver(const QRect &mainFrame)
{
    windowstyle::centreOn(*this, mainFrame);
    show();
    raise();
    activateWindow();
}

void Tspylist::notePointedEntry(const QPoint &pos)
{
    rememberEntryAt(pos);
}

void Tspylist::rememberEntryAt(const QPoint &viewportPos)
{
    const QModelIndex index = m_list->indexAt(viewportPos);
    m_pointerIndex = index.isValid() ? index.row() : -1;
    m_pointerEntry = index.isValid() ? m_list->item(m_pointerIndex)->text() : QString();
}

void Tspylist::kickPointedSeat()
{
    if (!isHosting() || m_pointerIndex < 0 || m_pointerIndex >= m_list->count())
        return;
    const QString entry = m_list->item(m_pointerIndex)->text();
    if (entry != m_pointerEntry)
        return; // the list changed since the menu was opened: that spectator is gone
    const int seat = SpectatorList::seatOf(entry);
    if (seat == 0 || !m_kicking)
        return;
    m_kicking(seat);
}

void Tspylist::closeWindow()
{
    hide();
}

void Tspylist::openMenu(const QPoint &viewportPos)
{
    rememberEntryAt(viewportPos);
    m_menu->popup(m_list->viewport()->mapToGlobal(viewportPos));
}

bool Tspylist::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            notePointedEntry(static_cast<QMouseEvent *>(event)->position().toPoint());
        } else if (event->type() == QEvent::ContextMenu) {
            openMenu(static_cast<QContextMenuEvent *>(event)->pos());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Tspylist::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    windowstyle::paintWood(painter, rect(), m_background);
}
