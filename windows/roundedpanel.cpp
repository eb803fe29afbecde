#include "roundedpanel.h"

#include "windowstyle.h"

#include <QPainter>

RoundedPanel::RoundedPanel(const QColor &fill, const QColor &border, int borderWidth, int radius, QWidget *parent)
    : QFrame(parent)
    , m_fill(fill)
    , m_border(border)
    , m_borderWidth(qMax(1, borderWidth))
    , m_radius(radius)
{
    setContentsMargins(m_borderWidth, m_borderWidth, m_borderWidth, m_borderWidth);
}

void RoundedPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    windowstyle::paintRoundedBox(painter, rect(), m_fill, m_border, m_borderWidth, m_radius);
}
