#include "woodbackground.h"

#include "board.h"
#include "boardpictures.h"
#include "windowstyle.h"

#include <QPainter>

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
    m_board->move(5 + (width() - DesignWidth) / 2, 3 + (height() - DesignHeight) / 2);
}
