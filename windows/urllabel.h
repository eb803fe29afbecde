// TURL: a label that shows an address as a link (blue, underlined; brighter under the pointer)
// and opens it with the desktop on a click.
#pragma once

#include <QLabel>
#include <QString>
#include <QUrl>

#include <functional>

// The label shows the address; the scheme is put in front of it only when it is opened
// (a web address is shown as "www.…" and opened as "http://www.…"). The desktop's
// opener is injectable so tests can record what would have been opened.
class TURL : public QLabel
{
    Q_OBJECT
public:
    // Scheme prefixes; the program itself only uses Http.
    enum class Scheme { File, Ftp, Gopher, Http, Https, Mailto, News, Telnet, Wais, None };
    // Hands a complete address to the desktop; true when the desktop accepted it.
    using Opener = std::function<bool(const QUrl &url)>;

    explicit TURL(QWidget *parent = nullptr);

    QString address() const { return m_address; }
    // Also becomes the label's text.
    void setAddress(const QString &address);
    Scheme scheme() const { return m_scheme; }
    void setScheme(Scheme scheme) { m_scheme = scheme; }
    // "http://", "mailto:" ... ; empty for None.
    static QString prefix(Scheme scheme);
    // The scheme prefix followed by the address: what open() hands to the desktop.
    QString target() const { return prefix(m_scheme) + m_address; }

    // Replaces the desktop opener (QDesktopServices::openUrl by default).
    void setOpener(Opener opener) { m_opener = std::move(opener); }

    // Opens the target. Refused (false, nothing opened): an empty or blank address, and a
    // target that is not a well-formed address with a scheme. Otherwise the opener's answer.
    bool open();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setHovered(bool hovered);

    QString m_address;
    Scheme m_scheme = Scheme::Http;
    Opener m_opener;
};
