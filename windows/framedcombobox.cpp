#include "framedcombobox.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <qdrawutil.h>

namespace {

constexpr int Border = 1;
constexpr int TextPadding = 2; // between the border and the text field
constexpr int EditGap = 2;     // between the text field and the drop-down

} // namespace

FramedComboBox::FramedComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Button, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    colours.setColor(QPalette::ButtonText, Qt::black);
    // The drop-down's shades: a third and two thirds of the way to black.
    colours.setColor(QPalette::Dark, QColor(170, 170, 170));
    colours.setColor(QPalette::Shadow, QColor(85, 85, 85));
    setPalette(colours);
    placeEditor();
}

QRect FramedComboBox::dropDownRect() const
{
    return QRect(width() - Border - DropDownWidth, Border, DropDownWidth, height() - 2 * Border);
}

QRect FramedComboBox::editRect() const
{
    const int left = Border + TextPadding;
    return QRect(left, Border, dropDownRect().left() - EditGap - left, height() - 2 * Border);
}

void FramedComboBox::placeEditor()
{
    if (lineEdit())
        lineEdit()->setGeometry(editRect());
}

void FramedComboBox::resizeEvent(QResizeEvent *event)
{
    QComboBox::resizeEvent(event);
    placeEditor();
}

void FramedComboBox::showEvent(QShowEvent *event)
{
    QComboBox::showEvent(event);
    placeEditor();
}

void FramedComboBox::changeEvent(QEvent *event)
{
    QComboBox::changeEvent(event);
    // The combo box places its editor again when the style or the font changes.
    placeEditor();
}

void FramedComboBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    // The button's shades as the toolkit's classic raised button draws them, on white.
    const QRect button = dropDownRect();
    const bool sunken = view()->isVisible();
    QPalette shades = palette();
    shades.setColor(QPalette::Button, palette().color(QPalette::Light));
    shades.setColor(QPalette::Light, palette().color(QPalette::Button));
    if (sunken) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.setBrush(palette().brush(QPalette::Button));
        painter.drawRect(button.adjusted(0, 0, -1, -1));
    } else {
        const QBrush fill = palette().brush(QPalette::Button);
        qDrawWinButton(&painter, button, shades, false, &fill);
    }

    QStyleOptionComboBox arrow;
    initStyleOption(&arrow);
    arrow.rect = button.adjusted(3, 3, -3, -3);
    arrow.state = isEnabled() ? QStyle::State_Enabled : QStyle::State_None;
    if (sunken)
        arrow.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
}
