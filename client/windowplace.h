// WindowPlace: the main window's position and size as the settings file stores them.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QMainWindow;

// The stored Left/Top/Width/Height are the outer window, frame included: 700 x 590 leaves a
// 692 x 544 client area below the menu, the board's design size. Sizes are counted with the
// frame the board was designed for (4 pixels at the sides and bottom, a 23-pixel caption),
// whatever frame this desktop's window manager draws (none, thin or thick), so a stored size
// gives the same client area on every desktop and the file means the same to every program
// that shares it. Left/Top are where the window manager puts the frame's corner.
class WindowPlace
{
public:
    static constexpr QMargins DesignFrame{4, 23, 4, 4};
    static constexpr QSize DesignClient{692, 544};
    // The board plus 15 x 12: smaller client areas snap back to this size.
    static constexpr QSize MinimumClient{699, 550};

    explicit WindowPlace(QMainWindow &window);

    // The outer window: frame position and frame size.
    QRect outer() const;
    // Moves and sizes the window so that its outer rectangle becomes outer.
    void apply(const QRect &outer);
    // Sizes the window so that its outer size becomes size; the position stays.
    void applySize(const QSize &size);
    // The area below the menu.
    QSize clientArea() const;
    // After a resize: a client area smaller than MinimumClient grows back to it, whatever the
    // window manager did with the size hint. The design area itself (the default size) stays.
    void keepMinimum();

private:
    int menuHeight() const;

    QMainWindow &m_window;
};
