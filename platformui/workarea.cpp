#include "workarea.h"

#include <QGuiApplication>
#include <QScreen>

QRect ScreenWorkArea::workArea() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}
