// WoodBackground: the main window's client area, wood planks behind the centred board.
#pragma once

#include <QPixmap>
#include <QWidget>

class Board;

// Tiles the wood picture over the whole area (brown while it is missing) and keeps the
// board at its design offset from the centre: (5, 3) in a 692 x 544 area. The main window
// keeps the area large enough (WindowPlace).
class WoodBackground : public QWidget
{
    Q_OBJECT
public:
    static constexpr int DesignWidth = 692;
    static constexpr int DesignHeight = 544;

    explicit WoodBackground(QWidget *parent = nullptr);
    Board *board() const { return m_board; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Board *m_board;
    QPixmap m_wood;
};
