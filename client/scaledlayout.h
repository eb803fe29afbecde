// ScaledLayout: the design geometry and font of each control of a panel, applied at a scale.
#pragma once

#include <QFont>
#include <QHash>
#include <QRect>
#include <QSize>

class QWidget;

// Every control keeps its rectangle and font as drawn at the design size; at scale s it is
// placed at s times that rectangle (corners rounded, so at 2 exactly twice) with s times its
// font's pixel size. Pictures (PictureBox, PictureButton, a tool button's icon named by its
// "picture" property) are drawn s times as large and chosen for s times the screen's ratio.
// The controls stay real widgets: clicks, typing, pop-ups and screen readers work at any scale.
class ScaledLayout
{
public:
    static QRect scaled(const QRect &design, qreal scale);

    // Records the control's present geometry and font (when it has one of its own) as its
    // design; a control already recorded keeps its record.
    void add(QWidget *widget);
    // Sets the control's design rectangle and places it at the current scale.
    void place(QWidget *widget, const QRect &design);
    // Sets the control's design font (pixel sized) and gives it the scaled font.
    void setFont(QWidget *widget, const QFont &design);
    QRect design(const QWidget *widget) const;
    bool contains(const QWidget *widget) const { return m_entries.contains(const_cast<QWidget *>(widget)); }
    QFont designFont(const QWidget *widget) const;

    // Places every recorded control at scale (1 is the design).
    void setScale(qreal scale);
    qreal scale() const { return m_scale; }

    // The font at scale: pixel size times scale, rounded down (or point size times scale).
    static QFont scaledFont(const QFont &design, qreal scale);

private:
    struct Entry
    {
        QRect rect;
        QFont font;
        bool ownFont = false;
        QSize iconSize;
    };
    Entry &entry(QWidget *widget);
    void apply(QWidget *widget, const Entry &entry, qreal oldScale) const;

    QHash<QWidget *, Entry> m_entries;
    qreal m_scale = 1.0;
};
