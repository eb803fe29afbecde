#include "windowplace.h"

#include <QMainWindow>
#include <QMenuBar>

WindowPlace::WindowPlace(QMainWindow &window)
    : m_window(window)
{
}

QRect WindowPlace::outer() const
{
    return QRect(m_window.frameGeometry().topLeft(), m_window.size().grownBy(DesignFrame));
}

void WindowPlace::apply(const QRect &outer)
{
    m_window.move(outer.topLeft()); // the frame's position
    applySize(outer.size());
}

void WindowPlace::applySize(const QSize &size)
{
    m_window.resize(size.shrunkBy(DesignFrame));
}

int WindowPlace::menuHeight() const
{
    const QWidget *menu = m_window.menuWidget();
    if (!menu || menu->isHidden())
        return 0;
    const int forWidth = menu->heightForWidth(m_window.width());
    return forWidth > 0 ? forWidth : menu->sizeHint().height();
}

QSize WindowPlace::clientArea() const
{
    return QSize(m_window.width(), m_window.height() - menuHeight());
}

void WindowPlace::keepMinimum()
{
    const QSize client = clientArea();
    if (client == DesignClient)
        return;
    const QSize wanted = client.expandedTo(MinimumClient);
    if (wanted != client)
        m_window.resize(m_window.size() + (wanted - client));
}
