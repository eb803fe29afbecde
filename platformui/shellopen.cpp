#include "shellopen.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

bool DesktopShellOpen::openUrl(const QString &url)
{
    const QUrl address(url, QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    // Nothing but the browser: a local file or a program is never opened this way.
    if (!address.isValid() || address.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;
    return QDesktopServices::openUrl(address);
}

bool DesktopShellOpen::startProgram(const QString &path, const QStringList &arguments)
{
    // startDetached reports a failed exec (missing file, no execute permission, not a
    // program), so false is the desktop's refusal.
    return !path.isEmpty() && QProcess::startDetached(path, arguments);
}
