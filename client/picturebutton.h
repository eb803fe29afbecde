// PictureButton: a button drawn as one picture, with a plain fallback while it is missing.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

class PictureButton : public QAbstractButton
{
    Q_OBJECT
public:
    // resource: picture name (boardpictures.h); caption: drawn when the picture is missing.
    PictureButton(const QString &name, const QRect &geometry, const QString &resource, const QString &caption,
                  QWidget *parent);

    // The board's scale: the caption's font grows with it and the picture is chosen for the
    // scale times the screen's pixel ratio (the button's geometry is the board's to set).
    void setScale(qreal scale);
    qreal pictureDensity() const { return m_density; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_resource;
    QPixmap m_picture;
    qreal m_scale = 1.0;
    qreal m_density = 0; // the picture density m_picture was loaded at
};
