// FramedLineEdit: a line edit on white inside a plain 1 px black border, with none of the
// style's own frame; the typed text takes the palette's text colour.
#pragma once

#include <QLineEdit>

class FramedLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit FramedLineEdit(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
