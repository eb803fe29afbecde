// RoundedPanel: a frame filled with one colour inside a rounded border of another.
#pragma once

#include <QColor>
#include <QFrame>

class RoundedPanel : public QFrame
{
    Q_OBJECT
public:
    // borderWidth: in pixels (at least 1); radius: of the border's outer edge, in pixels.
    // The contents margins are the border, so a layout's margins count from inside it.
    RoundedPanel(const QColor &fill, const QColor &border, int borderWidth, int radius, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill;
    QColor m_border;
    int m_borderWidth;
    int m_radius;
};
