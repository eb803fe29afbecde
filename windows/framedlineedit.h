// FramedLineEdit: a line edit on white inside a plain 1 px black border, with none of the
// style's own frame; the typed text takes the palette's text colour.
#pragma once

#include <QLineEdit>

class FramedLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    // Text margins that leave two more pixels between the border and the text at each side.
    static constexpr QMargins PaddedMargins{3, 1, 3, 1};

    explicit FramedLineEdit(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
