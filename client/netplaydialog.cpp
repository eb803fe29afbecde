#include "netplaydialog.h"

#include "playername.h"
#include "windowstyle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

const QColor ProblemColour(255, 214, 102); // warm yellow: readable on the dark planks

constexpr int Margin = 12;
constexpr int FieldLeft = 112;
constexpr int ButtonWidth = 96;
constexpr int ButtonHeight = 25;

} // namespace

NetplayDialog::NetplayDialog(const QString &title, const QString &confirmText, QSize size, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(title);
    setFixedSize(size);
    const QRect problemPlace(Margin, size.height() - ButtonHeight - Margin - 54, size.width() - 2 * Margin, 48);
    m_problem = addText(QString(), problemPlace, 12, true);
    m_problem->setObjectName(QStringLiteral("label_problem"));
    m_problem->setWordWrap(true);
    QPalette palette = m_problem->palette();
    palette.setColor(QPalette::WindowText, ProblemColour);
    m_problem->setPalette(palette);

    const int buttonsTop = size.height() - ButtonHeight - Margin;
    m_confirm = new QPushButton(confirmText, this);
    m_confirm->setObjectName(QStringLiteral("button_confirm"));
    m_confirm->setGeometry(size.width() / 2 - ButtonWidth - 4, buttonsTop, ButtonWidth, ButtonHeight);
    m_confirm->setFont(windowstyle::arial(12, true));
    m_confirm->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("button_cancel"));
    m_cancel->setGeometry(size.width() / 2 + 4, buttonsTop, ButtonWidth, ButtonHeight);
    m_cancel->setFont(windowstyle::arial(12, false));
    connect(m_confirm, &QPushButton::clicked, this, [this] { confirm(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLabel *NetplayDialog::addText(const QString &text, const QRect &place, int pixels, bool bold)
{
    auto *label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(place);
    label->setFont(windowstyle::arial(pixels, bold));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

void NetplayDialog::addNameRow(int top)
{
    QLabel *label =
        addText(QStringLiteral("Your name:"), QRect(Margin, top, FieldLeft - Margin - 6, 21), 12, true);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("edit_name"));
    m_name->setGeometry(FieldLeft, top, width() - FieldLeft - Margin, 21);
    m_name->setFont(windowstyle::arial(12, false));
    m_name->setStyleSheet(
        QStringLiteral("QLineEdit { background: white; color: black; border: 1px solid black; padding: 0 2px; }"));
    label->setBuddy(m_name);
    connect(m_name, &QLineEdit::textEdited, this, [this] { showProblem(QString()); });
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
