#include "netplaydialog.h"

#include "framedlineedit.h"
#include "playername.h"
#include "windowstyle.h"

#include <QEvent>
#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QColor ProblemColour(255, 214, 102); // warm yellow: readable on the dark planks

constexpr int Margin = 12;
constexpr int TopMargin = 10;
constexpr int LabelColumnWidth = 94;
constexpr int LabelGap = 6; // between a label and its field
constexpr int ProblemHeight = 48;
constexpr int ProblemGap = 6; // between the problem line and the buttons
constexpr int ButtonWidth = 96;
constexpr int ButtonHeight = 25;
constexpr int ButtonGap = 8;

} // namespace

NetplayDialog::NetplayDialog(const QString &title, const QString &confirmText, QSize designedSize, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_designedSize(designedSize)
    // A window takes the application font (not its parent's): the texts never get smaller
    // than designed.
    , m_scale(qMax<qreal>(1.0, qreal(QFontInfo(font()).pixelSize()) / DesignedFontPixels))
{
    setWindowTitle(title);
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(Margin, TopMargin, Margin, Margin);
    m_column->setSpacing(0);

    m_problem = makeText(QString(), 12, true);
    m_problem->setObjectName(QStringLiteral("label_problem"));
    m_problem->setWordWrap(true);
    m_problem->setMinimumHeight(scaled(ProblemHeight));
    windowstyle::setTextColour(*m_problem, ProblemColour);

    m_confirm = new QPushButton(confirmText, this);
    m_confirm->setObjectName(QStringLiteral("button_confirm"));
    m_confirm->setMinimumSize(ButtonWidth, ButtonHeight);
    m_confirm->setFont(textFont(12, true));
    m_confirm->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("button_cancel"));
    m_cancel->setMinimumSize(ButtonWidth, ButtonHeight);
    m_cancel->setFont(textFont(12, false));
    connect(m_confirm, &QPushButton::clicked, this, [this] { confirm(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QFont NetplayDialog::textFont(int pixels, bool bold) const
{
    return windowstyle::arial(scaled(pixels), bold);
}

int NetplayDialog::scaled(int pixels) const
{
    return qRound(pixels * m_scale);
}

QLabel *NetplayDialog::makeText(const QString &text, int pixels, bool bold)
{
    auto *label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    label->setFont(textFont(pixels, bold));
    windowstyle::setTextColour(*label, Qt::white);
    return label;
}

QLabel *NetplayDialog::addText(const QString &text, int height, int pixels, bool bold)
{
    QLabel *label = makeText(text, pixels, bold);
    addControl(label, height);
    return label;
}

void NetplayDialog::addGap(int pixels)
{
    m_column->addSpacing(pixels);
}

void NetplayDialog::addControl(QWidget *control, int height)
{
    control->setMinimumHeight(scaled(height));
    m_column->addWidget(control);
}

QGridLayout *NetplayDialog::addFieldGrid()
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(LabelGap);
    grid->setVerticalSpacing(0);
    grid->setColumnMinimumWidth(0, LabelColumnWidth);
    grid->setColumnStretch(1, 1);
    m_column->addLayout(grid);
    return grid;
}

QLabel *NetplayDialog::addField(QGridLayout &grid, int row, const QString &label, QWidget *field, int height)
{
    QLabel *caption = makeText(label, 12, true);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption->setMinimumHeight(scaled(height));
    caption->setBuddy(field);
    // Fields are as high as designed, in proportion to the font: that leaves room for the text.
    field->setFixedHeight(scaled(height));
    grid.addWidget(caption, row, 0);
    grid.addWidget(field, row, 1);
    return caption;
}

void NetplayDialog::addNameRow(QGridLayout &grid, int row)
{
    auto *name = new FramedLineEdit(QString(), this);
    name->setObjectName(QStringLiteral("edit_name"));
    name->setFont(textFont(12, false));
    name->setTextMargins(FramedLineEdit::PaddedMargins);
    m_name = name;
    addField(grid, row, QStringLiteral("Your name:"), m_name, 21);
    connect(m_name, &QLineEdit::textEdited, this, [this] { showProblem(QString()); });
}

void NetplayDialog::finishLayout()
{
    m_column->addStretch(1);
    m_column->addWidget(m_problem);
    m_column->addSpacing(ProblemGap);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(ButtonGap);
    buttons->addStretch(1);
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    m_column->addLayout(buttons);
    m_laidOut = true;
    fitToContents();
}

void NetplayDialog::fitToContents()
{
    // The designed size holds everything at the default font; a larger font or a longer text
    // widens the window to its widest line and heightens it to what the wrapped texts need.
    const int width = qMax(m_designedSize.width(), m_column->totalMinimumSize().width());
    const int height = qMax(m_designedSize.height(), m_column->totalHeightForWidth(width));
    if (size() != QSize(width, height) || minimumSize() != maximumSize())
        setFixedSize(width, height);
}

bool NetplayDialog::event(QEvent *event)
{
    // A text changed (a problem, the local-network note): the window follows what it needs.
    if (event->type() == QEvent::LayoutRequest && m_laidOut)
        fitToContents();
    return QDialog::event(event);
}

void NetplayDialog::setBackground(const QPixmap &tile)
{
    m_background = tile;
    update();
}

void NetplayDialog::setPlayerName(const QString &name)
{
    m_name->setText(name);
}

QString NetplayDialog::playerName() const
{
    return playername::cleaned(m_name->text());
}

QString NetplayDialog::problem() const
{
    return m_problem->text();
}

void NetplayDialog::showProblem(const QString &text)
{
    m_problem->setText(text);
}

bool NetplayDialog::nameAccepted()
{
    const QString why = playername::problem(m_name->text());
    if (why.isEmpty())
        return true;
    showProblem(why);
    m_name->setFocus();
    m_name->selectAll();
    return false;
}

void NetplayDialog::showOver(const QRect &mainFrame)
{
    showProblem(QString());
    m_confirm->setEnabled(true);
    windowstyle::centreOn(*this, mainFrame);
    show();
    raise();
    activateWindow();
    m_name->setFocus();
    m_name->selectAll();
}

void NetplayDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    windowstyle::paintWood(painter, rect(), m_background);
}
