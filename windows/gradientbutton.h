// GradientButton: a push button drawn as a rounded box with a light vertical gradient, a
// brown border (green and doubled on the default button) and bold text in the palette's
// button text colour (its disabled group when disabled).
#pragma once

#include <QPushButton>

class GradientButton : public QPushButton
{
    Q_OBJECT
public:
    static constexpr int Radius = 5;
    static constexpr int SidePadding = 14; // between the border and the text, left and right
    static constexpr int MinimumHeight = 30;

    explicit GradientButton(const QString &text, QWidget *parent = nullptr);

    // The text colour when enabled and when disabled.
    void setTextColors(const QColor &enabled, const QColor &disabled);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int borderWidth() const;
};
