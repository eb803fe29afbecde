// WoodBackground: the main window's client area, wood planks behind the centred board.
#pragma once

#include <QPixmap>
#include <QWidget>

class Board;

// Tiles the wood picture over the whole area (brown while it is missing) and keeps the
// board at its design offset from the centre: (5, 3) in a 692 x 544 area. A larger area lays
// the board out scaled to fill it, keeping its proportions (the design area scaled by the
// smaller of the two ratios, in 48ths, centred; the wood shows around the rest). The main window
// keeps the area large enough (WindowPlace).
class WoodBackground : public QWidget
{
    Q_OBJECT
public:
    static constexpr int DesignWidth = 692;
    static constexpr int DesignHeight = 544;
    static constexpr int Steps = 48; // the scale is a whole number of 48ths

    explicit WoodBackground(QWidget *parent = nullptr);
    Board *board() const { return m_board; }
    // The board's scale in an area of that size: 1 up to the design size.
    static qreal scaleFor(const QSize &area);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Board *m_board;
    QPixmap m_wood;
};
