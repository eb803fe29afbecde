// ShellOpen: the desktop's "open" for web addresses and programs, behind an interface so
// tests can record what would have been opened or started.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class ShellOpen
{
public:
    virtual ~ShellOpen() = default;
    // Shows a web address (http or https only) in the user's browser; false when the
    // address is no web address or the desktop refused.
    virtual bool openUrl(const QString &url) = 0;
    // Starts a program with its arguments, detached from this process; false when it
    // cannot be started (missing, not executable, not a program).
    virtual bool startProgram(const QString &path, const QStringList &arguments) = 0;
};

// QDesktopServices for web addresses, QProcess::startDetached for programs.
class DesktopShellOpen : public ShellOpen
{
public:
    bool openUrl(const QString &url) override;
    bool startProgram(const QString &path, const QStringList &arguments) override;
};

// Records every request and opens nothing (tests); each answers with `answer`.
class RecordingShellOpen : public ShellOpen
{
public:
    struct Start
    {
        QString path;
        QStringList arguments;
    };

    bool openUrl(const QString &url) override
    {
        urls.append(url);
        return answer;
    }
    bool startProgram(const QString &path, const QStringList &arguments) override
    {
        starts.append({path, arguments});
        return answer;
    }

    QStringList urls;
    QList<Start> starts;
    bool answer = true;
};
