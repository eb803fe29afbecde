#include "windowstyle.h"

#include "pngpicture.h"

#include <QFrame>
#include <QGuiApplication>
#include <QPainter>
#include <QShortcut>
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

QFont plainFont(int pixels, bool bold)
{
    // The family named, so that a window's own font (Arial) does not take its place; shaped as
    // the application's font is.
    const QFont application = QGuiApplication::font();
    QFont font(application.family());
    font.setStyleStrategy(application.styleStrategy());
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void setTextColour(QWidget &widget, const QColor &colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget.setPalette(palette);
}

void setWhiteField(QFrame &field)
{
    field.setFrameStyle(QFrame::Box | QFrame::Plain);
    field.setLineWidth(1);
    QPalette palette = field.palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::black);
    field.setPalette(palette);
}

void paintRoundedBox(QPainter &painter, const QRect &rect, const QBrush &fill, const QColor &border,
                     int borderWidth, qreal radius)
{
    // The whole box in the border's colour, then the inside over it: the fill's antialiased
    // edge blends into the border, never into what lies under the box.
    const QRectF outer(rect);
    const QRectF inner = outer.adjusted(borderWidth, borderWidth, -borderWidth, -borderWidth);
    const qreal innerRadius = qMax<qreal>(0, radius - borderWidth);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(border);
    painter.drawRoundedRect(outer, radius, radius);
    painter.setBrush(fill);
    painter.drawRoundedRect(inner, innerRadius, innerRadius);
    painter.restore();
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

void closeOnEscape(QWidget &window, std::function<void()> close)
{
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, &window, std::move(close));
}

} // namespace windowstyle
