#include "picturebox.h"

#include "boardpictures.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(const QString &name, const QRect &geometry, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(name);
    setGeometry(geometry);
    setAttribute(Qt::WA_TranslucentBackground);
}

void PictureBox::setStretch(bool on)
{
    m_stretch = on;
    update();
}

void PictureBox::clearPicture()
{
    m_layers.clear();
    m_images.clear();
    update();
}

void PictureBox::drawPicture(const QString &resource)
{
    m_layers.append(resource); // decoded when first painted: a hidden box never decodes
    update();
}

void PictureBox::setPicture(const QString &resource)
{
    clearPicture();
    drawPicture(resource);
}

void PictureBox::setPicture(const QString &resource, const QImage &decoded)
{
    setPicture(resource);
    m_images.append(decoded);
}

void PictureBox::setLayers(const QStringList &layers)
{
    if (layers == m_layers)
        return;
    clearPicture();
    for (const QString &layer : layers)
        drawPicture(layer);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    while (m_images.size() < m_layers.size())
        m_images.append(boardpictures::layer(m_layers.at(m_images.size())));
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const QImage &image : std::as_const(m_images)) {
        if (image.isNull())
            continue;
        if (m_stretch)
            painter.drawImage(rect(), image);
        else
            painter.drawImage(0, 0, image);
    }
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->position().toPoint()))
        Q_EMIT mouseReleased(event->button());
    event->accept();
}
