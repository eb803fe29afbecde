#include "scaledlayout.h"

#include "boardpictures.h"
#include "picturebox.h"
#include "picturebutton.h"

#include <QIcon>
#include <QToolButton>
#include <QWidget>
#include <cmath>

QRect ScaledLayout::scaled(const QRect &design, qreal scale)
{
    // The corners are scaled, so neighbours that touch at the design size still touch.
    const int left = qRound(design.x() * scale);
    const int top = qRound(design.y() * scale);
    const int right = qRound((design.x() + design.width()) * scale);
    const int bottom = qRound((design.y() + design.height()) * scale);
    return QRect(left, top, right - left, bottom - top);
}

QFont ScaledLayout::scaledFont(const QFont &design, qreal scale)
{
    // Rounded down: a text never grows faster than the box it was measured for.
    QFont font = design;
    if (design.pixelSize() > 0)
        font.setPixelSize(qMax(1, int(std::floor(design.pixelSize() * scale + 1e-9))));
    else if (design.pointSizeF() > 0)
        font.setPointSizeF(design.pointSizeF() * scale);
    return font;
}

ScaledLayout::Entry &ScaledLayout::entry(QWidget *widget)
{
    auto found = m_entries.find(widget);
    if (found != m_entries.end())
        return *found;
    Entry e;
    e.rect = widget->geometry();
    e.ownFont = widget->testAttribute(Qt::WA_SetFont);
    e.font = widget->font();
    if (auto *button = qobject_cast<QToolButton *>(widget))
        e.iconSize = button->iconSize();
    return *m_entries.insert(widget, e);
}

void ScaledLayout::add(QWidget *widget)
{
    entry(widget);
}

void ScaledLayout::place(QWidget *widget, const QRect &design)
{
    Entry &e = entry(widget);
    e.rect = design;
    widget->setGeometry(scaled(design, m_scale));
}

void ScaledLayout::setFont(QWidget *widget, const QFont &design)
{
    Entry &e = entry(widget);
    e.font = design;
    e.ownFont = true;
    widget->setFont(scaledFont(design, m_scale));
}

QRect ScaledLayout::design(const QWidget *widget) const
{
    const auto found = m_entries.constFind(const_cast<QWidget *>(widget));
    return found != m_entries.constEnd() ? found->rect : widget->geometry();
}

QFont ScaledLayout::designFont(const QWidget *widget) const
{
    const auto found = m_entries.constFind(const_cast<QWidget *>(widget));
    return found != m_entries.constEnd() ? found->font : widget->font();
}

void ScaledLayout::setScale(qreal scale)
{
    if (scale == m_scale)
        return;
    const qreal old = m_scale;
    m_scale = scale;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        apply(it.key(), it.value(), old);
}

void ScaledLayout::apply(QWidget *widget, const Entry &e, qreal oldScale) const
{
    widget->setGeometry(scaled(e.rect, m_scale));
    if (e.ownFont)
        widget->setFont(scaledFont(e.font, m_scale));
    if (auto *box = qobject_cast<PictureBox *>(widget)) {
        box->setScale(m_scale);
    } else if (auto *button = qobject_cast<PictureButton *>(widget)) {
        button->setScale(m_scale);
    } else if (auto *tool = qobject_cast<QToolButton *>(widget)) {
        tool->setIconSize(QSize(qRound(e.iconSize.width() * m_scale), qRound(e.iconSize.height() * m_scale)));
        const QString picture = tool->property("picture").toString();
        const qreal ratio = tool->devicePixelRatioF();
        const qreal density = boardpictures::pictureDensity(m_scale * ratio);
        if (!picture.isEmpty() && density != boardpictures::pictureDensity(oldScale * ratio))
            tool->setIcon(QIcon(boardpictures::load(picture, density)));
    }
}
