#include "serverprocess.h"

#include <QElapsedTimer>

ServerProcess::ServerProcess(const QString &program, const QStringList &args)
{
    m_process.start(program, args);
    if (!m_process.waitForStarted(5000)) {
        m_failure = "did not start: " + m_process.errorString().toUtf8();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (!m_process.canReadLine() && clock.elapsed() < 10000) {
        if (!m_process.waitForReadyRead(100) && m_process.state() != QProcess::Running)
            break;
    }
    const QByteArray line = m_process.readLine().trimmed();
    if (!line.contains(" listening on port ")) {
        m_failure = "no listening line: " + line + ' ' + m_process.readAllStandardError();
        return;
    }
    m_port = line.mid(line.lastIndexOf(' ') + 1).toUShort();
}

ServerProcess::~ServerProcess()
{
    stop();
}

QString ServerProcess::serverProgram()
{
    return QStringLiteral(DORVANE_SERVER_EXE);
}

QString ServerProcess::hostProgram()
{
    return QStringLiteral(DORVANE_HOST_EXE);
}

QByteArray ServerProcess::log()
{
    m_process.waitForReadyRead(0);
    m_log += m_process.readAllStandardError();
    return m_log;
}

int ServerProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
        return -1;
    }
    log();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}
