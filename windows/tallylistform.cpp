#include "tallylistform.h"

#include "qtmessageboxes.h"
#include "tallyrecord.h"
#include "windowstyle.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString Zero = QStringLiteral("0");
const QString NobodyName = QStringLiteral("XX");

// Shows its text as it is: names come from other players and may look like markup.
QLabel *namedLabel(const QString &name, const QString &text)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A counter: right-aligned in a box wide enough for large numbers.
QLabel *counterLabel(const QString &name)
{
    QLabel *label = namedLabel(name, Zero);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(56);
    return label;
}

QLabel *makeBold(QLabel *label)
{
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QListWidget *checkList(const QString &name)
{
    auto *list = new QListWidget;
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFixedSize(170, 84);
    return list;
}

} // namespace

Ttallylist::Ttallylist(QWidget *parent)
    : Ttallylist(TtallylistOptions{}, parent)
{
}

Ttallylist::Ttallylist(TtallylistOptions options, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_boxes(options.boxes)
    , m_record(options.record)
{
    if (m_boxes == nullptr) {
        m_ownBoxes = std::make_unique<QtMessageBoxes>();
        m_boxes = m_ownBoxes.get();
    }
    if (m_record == nullptr) {
        m_ownRecord = std::make_unique<TallyRecord>(options.tallyPath, *m_boxes);
        m_record = m_ownRecord.get();
    }
    setObjectName(QStringLiteral("Ttallylist"));
    setWindowTitle(QStringLiteral("Dorvane - Tally List"));
    createLayout();
    wire();
    loadtally();
}

Ttallylist::~Ttallylist() = default;

const TallyTable &Ttallylist::table() const
{
    return m_record->table();
}

const QString &Ttallylist::tallyPath() const
{
    return m_record->path();
}

void Ttallylist::createLayout()
{
    auto *left = new QVBoxLayout;
    left->addWidget(createMinePanel());
    left->addWidget(createHisPanel());
    left->addStretch();

    auto *columns = new QHBoxLayout;
    columns->setSpacing(12);
    columns->addLayout(left);
    columns->addWidget(createLists(), 0, Qt::AlignTop);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->setSpacing(10);
    outer->addLayout(columns);
    outer->addWidget(createButtons());
    outer->setSizeConstraint(QLayout::SetFixedSize);
    outer->activate(); // fixes the size now, not only when first shown
}

QWidget *Ttallylist::createMinePanel()
{
    auto *panel = new QGroupBox(QStringLiteral("Your Total Tally"));
    auto *grid = new QGridLayout(panel);
    grid->setHorizontalSpacing(16);
    grid->addWidget(new QLabel(QStringLiteral("Total Games:")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Your Wins")), 1, 0);
    for (int c = 1; c <= 4; ++c)
        m_mylabel[c] = counterLabel(QStringLiteral("mylabel_%1").arg(c));
    grid->addWidget(m_mylabel[1], 0, 1);
    grid->addWidget(m_mylabel[2], 1, 1);
    // Columns 3 and 4 of the user's row are reserved; their labels exist but never show.
    grid->addWidget(m_mylabel[3], 0, 2);
    grid->addWidget(m_mylabel[4], 1, 2);
    m_mylabel[3]->hide();
    m_mylabel[4]->hide();
    grid->setColumnStretch(0, 1);
    return panel;
}

QWidget *Ttallylist::createHisPanel()
{
    auto *panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(panel);
    grid->setHorizontalSpacing(16);
    label_hisnametop = namedLabel(QStringLiteral("label_hisnametop"), NobodyName + QStringLiteral("'s Tally"));
    makeBold(label_hisnametop);
    grid->addWidget(label_hisnametop, 0, 0, 1, 3);
    QLabel *total = makeBold(new QLabel(QStringLiteral("Total")));
    QLabel *session = makeBold(new QLabel(QStringLiteral("Session")));
    total->setAlignment(Qt::AlignRight);
    session->setAlignment(Qt::AlignRight);
    grid->addWidget(total, 1, 1);
    grid->addWidget(session, 1, 2);

    label_hisname = namedLabel(QStringLiteral("label_hisname"), NobodyName + QStringLiteral(" Wins:"));
    QWidget *rowHeads[4] = {new QLabel(QStringLiteral("Number of Games")), label_hisname,
                            new QLabel(QStringLiteral("Your Wins:")), new QLabel(QStringLiteral("Neither Won:"))};
    for (int c = 1; c <= 8; ++c)
        m_label[c] = counterLabel(QStringLiteral("label_%1").arg(c));
    // label_1..4 are the totals, label_5..8 the same counts for this run.
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(rowHeads[i], 2 + i, 0);
        grid->addWidget(m_label[1 + i], 2 + i, 1);
        grid->addWidget(m_label[5 + i], 2 + i, 2);
    }
    grid->setColumnStretch(0, 1);
    return panel;
}

QWidget *Ttallylist::createLists()
{
    auto *box = new QWidget;
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    checklist = checkList(QStringLiteral("checklist"));
    listbox_tally = checkList(QStringLiteral("listbox_tally"));
    column->addWidget(new QLabel(QStringLiteral("Players In Current Game")));
    column->addWidget(checklist);
    column->addSpacing(6);
    column->addWidget(new QLabel(QStringLiteral("Players Being Tallied")));
    column->addWidget(listbox_tally);
    return box;
}

QWidget *Ttallylist::createButtons()
{
    auto *box = new QWidget;
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    button_reset = new QPushButton(QStringLiteral("Reset Tally"));
    button_reset->setObjectName(QStringLiteral("button_reset"));
    button_done = new QPushButton(QStringLiteral("Done"));
    button_done->setObjectName(QStringLiteral("button_done"));
    button_done->setDefault(true);
    button_reset->setMinimumWidth(96);
    button_done->setMinimumWidth(96);
    row->addWidget(button_reset);
    row->addStretch();
    row->addWidget(button_done);
    return box;
}

void Ttallylist::wire()
{
    connect(checklist, &QListWidget::itemChanged, this, &Ttallylist::toggleFollowed);
    connect(listbox_tally, &QListWidget::itemChanged, this, &Ttallylist::confirmUnfollow);
    connect(listbox_tally, &QListWidget::itemClicked, this, &Ttallylist::showClickedOpponent);
    connect(listbox_tally, &QListWidget::currentRowChanged, this, &Ttallylist::showopponent);
    connect(button_reset, &QPushButton::clicked, this, &Ttallylist::resetTally);
    connect(button_done, &QPushButton::clicked, this, &Ttallylist::closeWindow);
    windowstyle::closeOnEscape(*this, [this] { closeWindow(); });
    connect(m_record, &TallyRecord::changed, this, &Ttallylist::loadtally);
}

void Ttallylist::loadtally()
{
    showMine();
    // The opponent shown stays shown, wherever the change moved it.
    const QListWidgetItem *current = listbox_tally->currentItem();
    const bool hadCurrent = current != nullptr;
    const QString currentName = hadCurrent ? current->text() : QString();
    const int currentPosition = listbox_tally->currentRow();
    m_filling = true;
    const QSignalBlocker quiet(listbox_tally); // the opponent shown is set once, below
    listbox_tally->clear();
    int position = -1;
    for (const QString &name : table().opponents()) {
        addCheckedItem(listbox_tally, name);
        if (hadCurrent && name == currentName)
            position = listbox_tally->count() - 1;
    }
    // A dropped opponent's place goes to the entry after it, or the last one.
    if (position < 0 && currentPosition >= 0)
        position = std::min(currentPosition, listbox_tally->count() - 1);
    listbox_tally->setCurrentRow(position);
    m_filling = false;
    showopponent(position);
    syncChecklist();
}

void Ttallylist::showEvent(QShowEvent *event)
{
    if (m_mainWindow != nullptr && !event->spontaneous()) {
        windowstyle::centreOn(*this, m_mainWindow->frameGeometry());
    }
    QWidget::showEvent(event);
}

void Ttallylist::loadchecklist(const QStringList &otherSeatNames)
{
    m_atTable = otherSeatNames;
    m_filling = true;
    checklist->clear();
    for (const QString &name : otherSeatNames) {
        auto *item = new QListWidgetItem(name, checklist);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    m_filling = false;
    syncChecklist();
}

void Ttallylist::showTally(const QStringList &otherSeatNames)
{
    loadchecklist(otherSeatNames);
    show();
    raise();
    activateWindow();
}

// A checked entry of "Players In Current Game" is a followed opponent: ticking a new name
// follows it; a followed name stays checked (it is dropped from the other list).
void Ttallylist::toggleFollowed(QListWidgetItem *item)
{
    if (m_filling)
        return;
    const QString name = m_atTable.value(checklist->row(item));
    if (table().findOpponent(name) < 0)
        m_record->follow(name); // shown again from the record
    else
        syncChecklist();
}

void Ttallylist::confirmUnfollow(QListWidgetItem *item)
{
    if (m_filling || item->checkState() == Qt::Checked)
        return;
    // Asked after the click is fully handled: the answer may remove the clicked entry.
    const int position = listbox_tally->row(item);
    const QString name = table().opponents().value(position);
    QMetaObject::invokeMethod(
        this, [this, position, name] { dropOpponent(position, name); }, Qt::QueuedConnection);
}

void Ttallylist::dropOpponent(int position, const QString &name)
{
    QListWidgetItem *item = listbox_tally->item(position);
    if (item == nullptr || table().opponents().value(position) != name || item->checkState() == Qt::Checked)
        return; // the list changed in between
    const bool yes = m_boxes->confirm(QStringLiteral("This will delete ") + name
                                      + QStringLiteral("'s Tally, Are you want to delete it?"));
    item = listbox_tally->item(position);
    if (item == nullptr || table().opponents().value(position) != name)
        return;
    if (!yes) {
        m_filling = true;
        item->setCheckState(Qt::Checked);
        m_filling = false;
        return;
    }
    m_record->moverow(position + 1); // shown again from the record
}

void Ttallylist::showClickedOpponent(QListWidgetItem *item)
{
    showopponent(listbox_tally->row(item));
}

void Ttallylist::showopponent(int position)
{
    const int row = position + 1;
    const bool known = position >= 0 && row < table().rowCount();
    const QString name = known ? table().cell(0, row) : NobodyName;
    for (int c = 1; c <= 8; ++c)
        m_label[c]->setText(known ? table().cell(c, row) : Zero);
    label_hisname->setText(name + QStringLiteral(" Wins:"));
    label_hisnametop->setText(name + QStringLiteral("'s Tally"));
}

void Ttallylist::resetTally()
{
    if (!m_boxes->confirm(QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    m_record->reset(); // shown again from the record
}

void Ttallylist::closeWindow()
{
    hide();
}

void Ttallylist::showMine()
{
    for (int c = 1; c <= 4; ++c)
        m_mylabel[c]->setText(table().cell(c, 0));
}

// Checks exactly the entries of "Players In Current Game" that are followed.
void Ttallylist::syncChecklist()
{
    m_filling = true;
    for (int i = 0; i < checklist->count(); ++i)
        checklist->item(i)->setCheckState(table().findOpponent(m_atTable.value(i)) > 0 ? Qt::Checked
                                                                                       : Qt::Unchecked);
    m_filling = false;
}

QListWidgetItem *Ttallylist::addCheckedItem(QListWidget *list, const QString &name)
{
    auto *item = new QListWidgetItem(name, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    return item;
}
