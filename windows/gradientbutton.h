// GradientButton: a push button drawn as a rounded box with a light vertical gradient, a
// brown border (green and doubled on the default button) and bold text in the palette's
// button text colour (its disabled group when disabled). Its colours can be replaced, for
// the unchecked and the checked state, and its text can sit at the left.
#pragma once

#include <QColor>
#include <QPushButton>

#include <optional>

class GradientButton : public QPushButton
{
    Q_OBJECT
public:
    static constexpr int Radius = 5;
    static constexpr int SidePadding = 14; // between the border and the text, left and right
    static constexpr int MinimumHeight = 30;

    // A vertical gradient inside the border, top to bottom; equal colours fill flat.
    struct Fill
    {
        QColor top;
        QColor bottom;
    };
    // The colours of an enabled button: its fill, its fill under the pointer, its 1 px border
    // (the default button keeps its doubled green one) and its text.
    struct Look
    {
        Fill fill;
        Fill hover;
        QColor border;
        QColor text;
    };

    explicit GradientButton(const QString &text, QWidget *parent = nullptr);

    // The text colour when enabled and when disabled.
    void setTextColors(const QColor &enabled, const QColor &disabled);
    // The colours while enabled and not checked (the text's through setTextColors).
    void setLook(const Look &look);
    // The colours while enabled and checked; until set, a checked button looks unchecked.
    void setCheckedLook(const Look &look);
    // Puts the text at the left, indent pixels inside the border (it is centred by default).
    void setTextIndent(int indent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int borderWidth() const;
    const Look &currentLook() const;

    Look m_look;
    std::optional<Look> m_checkedLook;
    int m_textIndent = -1; // -1: centred
};
