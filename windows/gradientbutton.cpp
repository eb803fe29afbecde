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
    , m_look{{GradientTop, GradientBottom}, {HoverFill, HoverFill}, windowstyle::RimBrown, TextBrown}
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

void GradientButton::setLook(const Look &look)
{
    m_look = look;
    setTextColors(look.text, palette().color(QPalette::Disabled, QPalette::ButtonText));
}

void GradientButton::setCheckedLook(const Look &look)
{
    m_checkedLook = look;
    update();
}

void GradientButton::setTextIndent(int indent)
{
    m_textIndent = indent;
    update();
}

const GradientButton::Look &GradientButton::currentLook() const
{
    return isChecked() && m_checkedLook ? *m_checkedLook : m_look;
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
    const Look &look = currentLook();
    QBrush fill(DisabledFill);
    if (enabled) {
        const Fill &colours = underMouse() ? look.hover : look.fill;
        QLinearGradient gradient(0, width, 0, height() - width); // inside the border
        gradient.setColorAt(0, colours.top);
        gradient.setColorAt(1, colours.bottom);
        fill = colours.top == colours.bottom ? QBrush(colours.top) : QBrush(gradient);
    }
    const QColor border = !enabled ? DisabledBorder : isDefault() ? windowstyle::HeadingGreen : look.border;
    windowstyle::paintRoundedBox(painter, rect(), fill, border, width, Radius);

    // A pressed button's text sits a pixel lower.
    QRect textRect = rect().adjusted(width + SidePadding, width, -width - SidePadding, -width);
    Qt::Alignment alignment = Qt::AlignCenter;
    if (m_textIndent >= 0) {
        textRect.setLeft(width + m_textIndent);
        alignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
    if (isDown())
        textRect.translate(0, 1);
    const QColor ink =
        enabled && isChecked() && m_checkedLook
            ? m_checkedLook->text
            : palette().color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(textRect, alignment | Qt::TextShowMnemonic, text());
    // The focus shows once the keyboard moved it, as the toolkit's own buttons do.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        QPen dots(ink, 1, Qt::DotLine);
        painter.setPen(dots);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(width + 2.5, width + 2.5, -width - 2.5, -width - 2.5), 2,
                                2);
    }
}
