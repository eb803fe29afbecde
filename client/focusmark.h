// FocusMark: the outline around the board control that has the keyboard focus.
#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

// A rounded light-gold line on a dark brown one, drawn just outside the focused die or
// button of the board (a sibling above them that lets the mouse through). It follows the
// control when it moves (a kept die rises) and goes when the focus leaves the marked ones.
class FocusMark : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Margin = 4; // pixels outside the control
    static inline const QColor Gold{255, 214, 90};
    static inline const QColor Rim{70, 40, 14};

    // board: the panel whose children are marked; only the controls in marked get the mark.
    FocusMark(QWidget &board, QList<QWidget *> marked);

    // The control marked now; null when none is.
    QWidget *target() const { return m_target; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow(QWidget *focused);
    void place();

    QList<QWidget *> m_marked;
    QPointer<QWidget> m_target;
};
