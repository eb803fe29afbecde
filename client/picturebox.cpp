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
    m_scaled = QImage();
    update();
}

void PictureBox::setScale(qreal scale)
{
    if (qFuzzyCompare(scale, m_scale))
        return;
    m_scale = scale;
    m_scaled = QImage();
    update();
}

qreal PictureBox::pictureDensity() const
{
    return boardpictures::pictureDensity(m_scale * devicePixelRatioF());
}

void PictureBox::clearPicture()
{
    m_layers.clear();
    m_images.clear();
    m_scaled = QImage();
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
    // Kept only when it is what painting would decode; otherwise painting decodes its own.
    const qreal density = pictureDensity();
    if (m_images.isEmpty() && decoded.devicePixelRatio() == density) {
        m_images.append(decoded);
        m_decodedDensity = density;
    }
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
    const qreal density = pictureDensity();
    if (density != m_decodedDensity) {
        m_images.clear(); // decoded again from the pictures of the new density
        m_decodedDensity = density;
    }
    while (m_images.size() < m_layers.size())
        m_images.append(boardpictures::layer(m_layers.at(m_images.size()), density));
    QPainter painter(this);
    if (m_scale == 1.0)
        drawLayers(painter); // mostly one to one: the shared pictures themselves
    else
        drawScaled(painter);
}

void PictureBox::drawScaled(QPainter &painter)
{
    // Scaled, the layers are resampled once per size and content, not at every repaint.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_scaled.size() != pixels || m_scaledLayers != m_images.size()) {
        m_scaled = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_scaled.setDevicePixelRatio(ratio);
        m_scaled.fill(Qt::transparent);
        QPainter composer(&m_scaled);
        drawLayers(composer);
        m_scaledLayers = m_images.size();
    }
    painter.drawImage(0, 0, m_scaled);
}

void PictureBox::drawLayers(QPainter &painter) const
{
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const QImage &image : m_images) {
        if (image.isNull())
            continue;
        if (m_stretch)
            painter.drawImage(rect(), image);
        else
            painter.drawImage(QRectF(QPointF(0, 0), image.deviceIndependentSize() * m_scale), image);
    }
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->position().toPoint()))
        Q_EMIT mouseReleased(event->button());
    event->accept();
}
