#include "gradientbutton.h"

#include "windowstyle.h"

#include <QLinearGradient>
#include <QPainter>

namespace {

const QColor GradientTop(255, 252, 234);
const QColor GradientBottom(222, 216, 176);
const QColor HoverFill(255, 255, 242);
const QColor DisabledFill(236, 232, 216);
const QColor DisabledBorder(170, 160, 140);
const QColor TextBrown(60, 35, 12);
const QColor DisabledText(150, 140, 120);

} // namespace

GradientButton::GradientButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setFont(windowstyle::plainFont(13, true));
    setAttribute(Qt::WA_Hover); // repaint on entering and leaving for the lighter fill
    setTextColors(TextBrown, DisabledText);
}

void GradientButton::setTextColors(const QColor &enabled, const QColor &disabled)
{
    QPalette colours = palette();
    colours.setColor(QPalette::ButtonText, enabled);
    colours.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    setPalette(colours);
}

int GradientButton::borderWidth() const
{
    return isDefault() ? 2 : 1;
}

QSize GradientButton::sizeHint() const
{
    ensurePolished();
    const QFontMetrics metrics(font());
    const int border = borderWidth();
    const int width = metrics.size(Qt::TextShowMnemonic, text()).width() + 2 * (SidePadding + border);
    const int height = qMax(MinimumHeight, metrics.height()) + 2 * border;
    return QSize(width, height).expandedTo(minimumSize());
}

QSize GradientButton::minimumSizeHint() const
{
    return sizeHint();
}

void GradientButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool enabled = isEnabled();
    const int width = borderWidth();
    QBrush fill(DisabledFill);
    if (enabled && underMouse()) {
        fill = QBrush(HoverFill);
    } else if (enabled) {
        QLinearGradient gradient(0, width, 0, height() - width); // inside the border
        gradient.setColorAt(0, GradientTop);
        gradient.setColorAt(1, GradientBottom);
        fill = QBrush(gradient);
    }
    const QColor border = !enabled      ? DisabledBorder
                          : isDefault() ? windowstyle::HeadingGreen
                                        : windowstyle::RimBrown;
    windowstyle::paintRoundedBox(painter, rect(), fill, border, width, Radius);

    // A pressed button's text sits a pixel lower.
    QRect textRect = rect().adjusted(width + SidePadding, width, -width - SidePadding, -width);
    if (isDown())
        textRect.translate(0, 1);
    painter.setPen(palette().color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.setFont(font());
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    // The focus shows once the keyboard moved it, as the toolkit's own buttons do.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        QPen dots(palette().color(QPalette::Active, QPalette::ButtonText), 1, Qt::DotLine);
        painter.setPen(dots);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(width + 2.5, width + 2.5, -width - 2.5, -width - 2.5), 2,
                                2);
    }
}
