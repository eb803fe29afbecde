#include "framedlineedit.h"

#include <QPainter>

FramedLineEdit::FramedLineEdit(const QString &text, QWidget *parent)
    : QLineEdit(text, parent)
{
    setFrame(false);
    setTextMargins(1, 1, 1, 1); // inside the border
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
}

void FramedLineEdit::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
