#include "urllabel.h"

#include "windowstyle.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>

TURL::TURL(QWidget *parent)
    : QLabel(parent)
    , m_opener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    QFont underlined; // only the underline set: the rest still comes from the parent
    underlined.setUnderline(true);
    setFont(underlined);
    setHovered(false);
}

void TURL::setAddress(const QString &address)
{
    m_address = address;
    setText(address);
    setToolTip(target());
}

QString TURL::prefix(Scheme scheme)
{
    switch (scheme) {
    case Scheme::File:
        return QStringLiteral("file://");
    case Scheme::Ftp:
        return QStringLiteral("ftp://");
    case Scheme::Gopher:
        return QStringLiteral("gopher://");
    case Scheme::Http:
        return QStringLiteral("http://");
    case Scheme::Https:
        return QStringLiteral("https://");
    case Scheme::Mailto:
        return QStringLiteral("mailto:");
    case Scheme::News:
        return QStringLiteral("news:");
    case Scheme::Telnet:
        return QStringLiteral("telnet:");
    case Scheme::Wais:
        return QStringLiteral("wais:");
    case Scheme::None:
        break;
    }
    return QString();
}

bool TURL::open()
{
    if (m_address.trimmed().isEmpty() || !m_opener)
        return false;
    // Strict parsing: blanks, control characters or a missing scheme (a bare address
    // with no prefix) would leave the desktop to guess what to start.
    const QUrl url(target(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return m_opener(url);
}

void TURL::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        open();
        event->accept();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void TURL::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        open();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void TURL::enterEvent(QEnterEvent *event)
{
    setHovered(true);
    QLabel::enterEvent(event);
}

void TURL::leaveEvent(QEvent *event)
{
    setHovered(false);
    QLabel::leaveEvent(event);
}

void TURL::changeEvent(QEvent *event)
{
    // Whatever font the label is given, a link is underlined.
    if (event->type() == QEvent::FontChange && !font().underline()) {
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
    }
    QLabel::changeEvent(event);
}

// Link blue; a brighter blue under the pointer.
void TURL::setHovered(bool hovered)
{
    windowstyle::setTextColour(*this, hovered ? QColor(20, 90, 230) : QColor(0, 51, 170));
}
