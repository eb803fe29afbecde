#include "portmapper.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QNetworkInterface>

struct PortMapper::Talk
{
    QProcess process;
    RouterWire wire;
    bool stopping = false; // told to remove the mapping and end
};

PortMapper::PortMapper(Options options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &PortMapper::onDeadline);
}

PortMapper::~PortMapper()
{
    stop();
    waitForRemovals(ExitWaitMs);
    // A run still going is left to finish: this ends only the parent half of the router
    // program; its working half removes the mapping on its own, within its time limit.
    for (const auto &talk : m_talks) {
        talk->process.disconnect(this);
        talk->process.kill();
        talk->process.waitForFinished(500);
    }
}

void PortMapper::start(quint16 port)
{
    if (m_port != 0)
        return;
    m_port = port;
    m_mapping = {};
    Q_EMIT statusLine(QStringLiteral("Asking the router to open TCP port %1 for the game...").arg(port));
    m_waiting = true;
    m_deadline.start(m_options.answerDeadlineMs);
    launch();
}

void PortMapper::launch()
{
    // A removal for an earlier hosting of the same port must not undo this one's mapping.
    for (const auto &talk : m_talks) {
        if (talk->stopping)
            return; // launched again when it has finished
    }
    if (m_port == 0 || m_current)
        return;
    auto talk = std::make_unique<Talk>();
    Talk *t = talk.get();
    m_talks.push_back(std::move(talk));
    m_current = t;
    QStringList arguments{QString::number(m_port), QString::number(m_options.leaseSeconds)};
    if (!m_options.rootUrl.isEmpty())
        arguments << QString::fromLatin1(m_options.rootUrl);
    if (!m_options.ipv6Address.isEmpty())
        arguments << QStringLiteral("--ipv6") << m_options.ipv6Address;
    t->process.setProgram(m_options.helperProgram);
    t->process.setArguments(arguments);
    t->process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&t->process, &QProcess::readyReadStandardOutput, this, [this, t] {
        const QByteArray bytes = t->process.readAllStandardOutput();
        for (const RouterWire::Event &event : t->wire.feed(bytes))
            onEvent(t, event);
    });
    connect(&t->process, &QProcess::finished, this, [this, t] { onFinished(t); });
    connect(&t->process, &QProcess::errorOccurred, this, [this, t](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onFinished(t);
    });
    t->process.start();
}

void PortMapper::onEvent(Talk *talk, const RouterWire::Event &event)
{
    switch (event.kind) {
    case RouterWire::Event::Answer:
        if (talk == m_current)
            onOpened(event.mapping);
        break;
    case RouterWire::Event::Removed:
        if (!event.text.isEmpty())
            Q_EMIT statusLine(event.text);
        Q_EMIT removed(event.text);
        break;
    case RouterWire::Event::Stopped:
        if (talk == m_current && m_waiting) {
            RouterMapping failed;
            failed.problem = event.text;
            onOpened(failed);
        } else if (talk == m_current) {
            Q_EMIT statusLine(event.text);
        }
        break;
    }
}

void PortMapper::onFinished(Talk *talk)
{
    if (talk->process.state() != QProcess::NotRunning && talk->process.error() != QProcess::FailedToStart)
        return;
    const QByteArray rest = talk->process.readAllStandardOutput();
    for (const RouterWire::Event &event : talk->wire.feed(rest + '\n'))
        onEvent(talk, event);
    if (talk == m_current) {
        m_current = nullptr;
        if (m_waiting) {
            RouterMapping failed;
            failed.problem = talk->process.error() == QProcess::FailedToStart
                                 ? QStringLiteral("The program that talks to the router (%1) could not be "
                                                  "started: %2.")
                                       .arg(m_options.helperProgram, talk->process.errorString())
                                 : QStringLiteral("The conversation with the router ended without an answer.");
            onOpened(failed);
        }
    }
    talk->process.disconnect(this);
    for (auto it = m_talks.begin(); it != m_talks.end(); ++it) {
        if (it->get() == talk) {
            m_finished.push_back(std::move(*it)); // deleted once its signal has returned
            m_talks.erase(it);
            break;
        }
    }
    QTimer::singleShot(0, this, [this] { m_finished.clear(); });
    launch(); // a hosting that waited for this removal
}

void PortMapper::onOpened(const RouterMapping &mapping)
{
    const bool renewal = m_mapping.opened;
    const bool first = m_waiting;
    const RouterMapping before = m_mapping;
    m_waiting = false;
    m_deadline.stop();
    m_mapping = mapping;
    if (first)
        Q_EMIT answered(mapping.opened);
    // A port that stays closed while the pinhole is renewed has nothing new to say.
    if (first || renewal || mapping.opened)
        reportPort(mapping, renewal);
    reportPinhole(mapping, before);
}

void PortMapper::reportPort(const RouterMapping &mapping, bool renewal)
{
    if (!mapping.opened) {
        Q_EMIT statusLine(
            QStringLiteral("The router could not open the port: %1 To let others join, forward TCP "
                           "port %2 to this computer%3 in the router's settings by hand.")
                .arg(mapping.problem)
                .arg(m_port)
                .arg(mapping.lanAddress.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(mapping.lanAddress)));
        Q_EMIT statusLine(addressesLine(m_port, mapping.lanAddress, mapping.externalAddress));
        return;
    }
    if (renewal)
        return;
    QString line = QStringLiteral("Others can join you at %1").arg(mapping.externalAddress);
    if (m_port != 7772)
        line += QStringLiteral(":%1").arg(m_port);
    line += QStringLiteral(" (players in this house: %1).").arg(mapping.lanAddress);
    Q_EMIT statusLine(line);
    if (mapping.privateExternal)
        Q_EMIT statusLine(
            QStringLiteral("The router's own internet address is private, so another router or the "
                           "provider sits in front of it: players outside may still not reach you."));
}

void PortMapper::reportPinhole(const RouterMapping &mapping, const RouterMapping &before)
{
    const QHostAddress address(mapping.ipv6Address);
    if (address.protocol() == QAbstractSocket::IPv6Protocol && mapping.ipv6Address != before.ipv6Address) {
        const QString text = address.toString();
        Q_EMIT statusLine(ipv6Line(m_port, text));
    } else if (!mapping.ipv6Problem.isEmpty() && mapping.ipv6Problem != before.ipv6Problem) {
        Q_EMIT statusLine(mapping.ipv6Problem);
    }
}

QString PortMapper::ipv6Line(quint16 port, const QString &address)
{
    const QString typed = port == 7772 ? address : QStringLiteral("[%1]:%2").arg(address).arg(port);
    return QStringLiteral("The router lets players in over IPv6 too. IPv6: %1 port %2 (to join, type %3).")
        .arg(address)
        .arg(port)
        .arg(typed);
}

void PortMapper::onDeadline()
{
    if (!m_waiting)
        return;
    Q_EMIT statusLine(QStringLiteral("The router has not answered for %1 seconds. If nobody can join, forward TCP "
                                     "port %2 to this computer in the router's settings by hand.")
                          .arg(m_options.answerDeadlineMs / 1000)
                          .arg(m_port));
    Q_EMIT statusLine(addressesLine(m_port, {}, {}));
}

QString PortMapper::addressesLine(quint16 port, const QString &lanAddress, const QString &externalAddress)
{
    const QString suffix = port != 7772 ? QStringLiteral(":%1").arg(port) : QString();
    QStringList local;
    if (!lanAddress.isEmpty())
        local << lanAddress + suffix;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning)
            || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLinkLocal()
                && !local.contains(address.toString() + suffix))
                local << address.toString() + suffix;
        }
    }
    QString line = local.isEmpty()
                       ? QStringLiteral("This computer has no address on a local network now, so only players "
                                        "on this computer can join.")
                       : QStringLiteral("Players on this network can join you at %1.")
                             .arg(local.join(QStringLiteral(" or ")));
    if (!externalAddress.isEmpty())
        line += QStringLiteral(" Players elsewhere can join you at %1%2 once the port is forwarded.")
                    .arg(externalAddress, suffix);
    return line;
}

void PortMapper::stop()
{
    if (m_port == 0)
        return;
    m_port = 0;
    m_waiting = false;
    m_deadline.stop();
    m_mapping = {};
    if (Talk *talk = m_current) {
        m_current = nullptr;
        talk->stopping = true;
        talk->process.write(RouterWire::StopLine);
        talk->process.closeWriteChannel();
    }
}

bool PortMapper::waitForRemovals(int ms)
{
    const QDeadlineTimer deadline(ms);
    for (;;) {
        Talk *stopping = nullptr;
        for (const auto &talk : m_talks) {
            if (talk->stopping) {
                stopping = talk.get();
                break;
            }
        }
        if (!stopping)
            return true;
        // finished() runs onFinished, which drops the run from m_talks.
        if (stopping->process.state() == QProcess::NotRunning)
            onFinished(stopping);
        else if (!stopping->process.waitForFinished(static_cast<int>(deadline.remainingTime()))
                 && deadline.hasExpired())
            return false;
    }
}
