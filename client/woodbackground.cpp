#include "woodbackground.h"

#include "board.h"
#include "boardpictures.h"
#include "scaledlayout.h"
#include "windowstyle.h"

#include <QPainter>
#include <cmath>

WoodBackground::WoodBackground(QWidget *parent)
    : QWidget(parent)
    , m_board(new Board(this))
    , m_wood(boardpictures::load(QStringLiteral("wood")))
{
    setObjectName(QStringLiteral("LbBackground1"));
    m_board->move(5, 3);
}

void WoodBackground::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    windowstyle::paintWood(painter, rect(), m_wood);
}

void WoodBackground::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const qreal s = scaleFor(size());
    m_board->setScale(s);
    const QRect area = ScaledLayout::scaled(QRect(0, 0, DesignWidth, DesignHeight), s);
    const QPoint offset = ScaledLayout::scaled(QRect(5, 3, 0, 0), s).topLeft();
    m_board->move(offset.x() + (width() - area.width()) / 2, offset.y() + (height() - area.height()) / 2);
}

qreal WoodBackground::scaleFor(const QSize &area)
{
    // In steps of 1/48: a die (48 pixels at the design size) always covers whole pixels, and
    // an area a few pixels above the design size (the smallest the window allows) shows the
    // design board itself.
    const qreal s = qMin(qreal(area.width()) / DesignWidth, qreal(area.height()) / DesignHeight);
    return qMax(qreal(1), std::floor(s * Steps + 1e-9) / Steps);
}
