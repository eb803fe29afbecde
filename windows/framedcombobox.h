// FramedComboBox: an editable combo box on white inside a plain 1 px black border, its text
// two pixels in from the border, its drop-down a small raised button at the right.
#pragma once

#include <QComboBox>

class FramedComboBox : public QComboBox
{
    Q_OBJECT
public:
    static constexpr int DropDownWidth = 16;

    explicit FramedComboBox(QWidget *parent = nullptr);

    // Where the drop-down button and the text field sit, in the widget's coordinates.
    QRect dropDownRect() const;
    QRect editRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeEditor();
};
