#include "focusmark.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

FocusMark::FocusMark(QWidget &board, QList<QWidget *> marked)
    : QWidget(&board)
    , m_marked(std::move(marked))
{
    setObjectName(QStringLiteral("focus_mark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { follow(now); });
}

void FocusMark::follow(QWidget *focused)
{
    if (m_target)
        m_target->removeEventFilter(this);
    m_target = m_marked.contains(focused) ? focused : nullptr;
    if (m_target)
        m_target->installEventFilter(this);
    place();
}

void FocusMark::place()
{
    if (!m_target || !m_target->isVisible()) {
        hide();
        return;
    }
    setGeometry(m_target->geometry().adjusted(-Margin, -Margin, Margin, Margin));
    raise();
    show();
    update();
}

bool FocusMark::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_target) {
        const QEvent::Type type = event->type();
        if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show || type == QEvent::Hide)
            place();
    }
    return QWidget::eventFilter(watched, event);
}

void FocusMark::paintEvent(QPaintEvent *)
{
    // Half the rim's width in from the edge: the dark rim fills the margin's outer pixels,
    // the gold runs whole pixels along its middle.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF line = QRectF(rect()).adjusted(Margin / 2.0, Margin / 2.0, -Margin / 2.0, -Margin / 2.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Rim, Margin));
    painter.drawRoundedRect(line, 5, 5);
    painter.setPen(QPen(Gold, Margin / 2.0));
    painter.drawRoundedRect(line, 5, 5);
}
