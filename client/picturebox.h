// PictureBox: a picture built from layers, drawn at its top-left corner or stretched.
#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>

class QPainter;

// Holds a list of picture layers (resource names, see boardpictures.h) painted in order.
// Clearing removes every layer. Tag is free for the owner (die number, phase ...).
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    PictureBox(const QString &name, const QRect &geometry, QWidget *parent);

    void setStretch(bool on);
    // The board's scale: a picture that is not stretched is drawn that many times its size,
    // and the pictures are chosen for the scale times the screen's pixel ratio.
    void setScale(qreal scale);
    qreal scale() const { return m_scale; }
    // The pixel ratio of the pictures drawn (1, or 2 for the "@2x" ones).
    qreal pictureDensity() const;
    void clearPicture();
    // Draws the named picture over the current ones at (0, 0).
    void drawPicture(const QString &resource);
    // Clears and draws one picture.
    void setPicture(const QString &resource);
    // The same with the picture already decoded (boxes showing one picture share its pixels).
    void setPicture(const QString &resource, const QImage &decoded);
    // Shows exactly these layers; nothing is redrawn when they are already shown.
    void setLayers(const QStringList &layers);
    const QStringList &layers() const { return m_layers; }
    bool isEmpty() const { return m_layers.isEmpty(); }

    int Tag = 0;

Q_SIGNALS:
    // Emitted when a mouse button is released over the picture.
    void mouseReleased(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void drawLayers(QPainter &painter) const;
    void drawScaled(QPainter &painter);

    QStringList m_layers;
    QList<QImage> m_images; // the first layers, decoded by the paint events so far
    bool m_stretch = false;
    qreal m_scale = 1.0;
    qreal m_decodedDensity = 0; // the picture density m_images were decoded at
    QImage m_scaled;            // the layers drawn at the box's size, while the scale is not 1
    qsizetype m_scaledLayers = 0;
};
