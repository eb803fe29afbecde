// ServerProcess: a real dorvane-server (or dorvane-host) started for a test and stopped
// with SIGTERM when the test is done.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

class ServerProcess
{
public:
    // Starts program with args and waits for its "listening on port N" line.
    ServerProcess(const QString &program, const QStringList &args);
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    static QString serverProgram();
    static QString hostProgram();

    // The port it listens on; 0 when it did not start (see failure()).
    quint16 port() const { return m_port; }
    const QByteArray &failure() const { return m_failure; }
    // What it has written to its standard error so far.
    QByteArray log();
    // Stops it with SIGTERM; its exit code (-1 when it did not end cleanly).
    int stop();

private:
    QProcess m_process;
    QByteArray m_log;
    QByteArray m_failure;
    quint16 m_port = 0;
};
