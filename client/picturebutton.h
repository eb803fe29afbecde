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

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};
