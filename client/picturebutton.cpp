#include "picturebutton.h"

#include "boardpictures.h"
#include "windowstyle.h"

#include <QPainter>

PictureButton::PictureButton(const QString &name, const QRect &geometry, const QString &resource,
                             const QString &caption, QWidget *parent)
    : QAbstractButton(parent)
    , m_resource(resource)
{
    setObjectName(name);
    setGeometry(geometry);
    setText(caption);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover); // repaint on entering and leaving for the highlight
    setScale(1.0);
}

void PictureButton::setScale(qreal scale)
{
    m_scale = scale;
    const qreal density = boardpictures::pictureDensity(scale * devicePixelRatioF());
    if (density != m_density) {
        m_picture = boardpictures::load(m_resource, density);
        m_density = density;
    }
    update();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect area = isDown() ? rect().translated(1, 1) : rect();
    if (!m_picture.isNull()) {
        painter.drawPixmap(area, m_picture);
        if (underMouse() && !isDown())
            painter.fillRect(rect(), QColor(255, 255, 255, 28));
        return;
    }
    painter.setPen(QPen(QColor(0, 90, 0), 2));
    painter.setBrush(QColor(110, 62, 30));
    painter.drawRoundedRect(QRectF(area).adjusted(1, 1, -1, -1), 6, 6);
    painter.setFont(windowstyle::arial(qRound(15 * m_scale), true));
    painter.setPen(Qt::white);
    painter.drawText(area, Qt::AlignCenter, text());
}
