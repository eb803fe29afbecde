#include "windowstyle.h"

#include "pngpicture.h"

#include <QPainter>
#include <QWidget>

namespace windowstyle {

QPixmap woodTile()
{
    return loadPngPicture(QStringLiteral(":/images/wood.png"));
}

QFont arial(int pixels, bool bold)
{
    QFont font = arial();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont arial()
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

void paintWood(QPainter &painter, const QRect &rect, const QPixmap &tile)
{
    painter.fillRect(rect, Brown);
    if (!tile.isNull())
        painter.drawTiledPixmap(rect, tile);
}

void setWoodBackground(QWidget &window, const QPixmap &tile)
{
    QPalette background = window.palette();
    background.setBrush(QPalette::Window, tile.isNull() ? QBrush(Brown) : QBrush(Brown, tile));
    window.setPalette(background);
    window.setAutoFillBackground(true);
}

void centreOn(QWidget &window, const QRect &area)
{
    if (area.isEmpty())
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

} // namespace windowstyle
