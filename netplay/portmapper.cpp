#include "portmapper.h"

#include <QMetaObject>
#include <QPointer>

#include <condition_variable>
#include <mutex>
#include <thread>

// Shared between the mapper and its worker threads: whether the mapper still listens, and
// how many removals are still talking to the router.
struct PortMapper::Worker
{
    std::mutex mutex;
    std::condition_variable done;
    PortMapper *receiver = nullptr; // null once the mapper is gone
    int removals = 0;

    // Runs work on a thread of its own and hands its result to deliver on the mapper's thread.
    template <typename Work, typename Deliver>
    static void run(const std::shared_ptr<Worker> &self, Work work, Deliver deliver)
    {
        std::thread([self, work = std::move(work), deliver = std::move(deliver)]() mutable {
            auto result = work();
            std::lock_guard lock(self->mutex);
            if (self->receiver) {
                QMetaObject::invokeMethod(
                    self->receiver, [deliver = std::move(deliver), result]() mutable { deliver(result); },
                    Qt::QueuedConnection);
            }
        }).detach();
    }
};

PortMapper::PortMapper(Options options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_worker(std::make_shared<Worker>())
{
    m_worker->receiver = this;
    m_renew.setSingleShot(true);
    m_deadline.setSingleShot(true);
    connect(&m_renew, &QTimer::timeout, this, &PortMapper::runOpen);
    connect(&m_deadline, &QTimer::timeout, this, &PortMapper::onDeadline);
}

PortMapper::~PortMapper()
{
    stop();
    waitForRemovals(ExitWaitMs);
    std::lock_guard lock(m_worker->mutex);
    m_worker->receiver = nullptr;
}

void PortMapper::start(quint16 port)
{
    if (m_port != 0)
        return;
    m_port = port;
    ++m_generation;
    m_mapping = {};
    Q_EMIT statusLine(QStringLiteral("Asking the router to open TCP port %1 for the game...").arg(port));
    runOpen();
}

void PortMapper::runOpen()
{
    if (m_port == 0 || m_waiting)
        return;
    m_waiting = true;
    m_deadline.start(m_options.answerDeadlineMs);
    RouterRequest request;
    request.rootUrl = m_options.rootUrl;
    request.port = m_port;
    request.leaseSeconds = m_options.leaseSeconds;
    const quint64 generation = m_generation;
    QPointer<PortMapper> self(this);
    Worker::run(
        m_worker, [request] { return UpnpGateway::open(request); },
        [self, generation](const RouterMapping &mapping) {
            if (self)
                self->onOpened(generation, mapping);
        });
}

void PortMapper::onOpened(quint64 generation, const RouterMapping &mapping)
{
    const bool renewal = m_mapping.opened;
    if (generation != m_generation || m_port == 0) {
        removeMapping(mapping); // made for a hosting that has ended since
        return;
    }
    m_waiting = false;
    m_deadline.stop();
    m_mapping = mapping;
    Q_EMIT answered(mapping.opened);
    if (!mapping.opened) {
        Q_EMIT statusLine(
            QStringLiteral("The router could not open the port: %1 To let others join, forward TCP "
                           "port %2 to this computer%3 in the router's settings by hand.")
                .arg(mapping.problem)
                .arg(m_port)
                .arg(mapping.lanAddress.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(mapping.lanAddress)));
        return;
    }
    if (!mapping.permanent)
        m_renew.start(m_options.leaseSeconds * 500); // half the lease, in milliseconds
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

void PortMapper::onDeadline()
{
    if (!m_waiting)
        return;
    Q_EMIT statusLine(QStringLiteral("The router has not answered for %1 seconds. If nobody can join, forward TCP "
                                     "port %2 to this computer in the router's settings by hand.")
                          .arg(m_options.answerDeadlineMs / 1000)
                          .arg(m_port));
}

void PortMapper::stop()
{
    if (m_port == 0)
        return;
    m_port = 0;
    ++m_generation;
    m_waiting = false;
    m_renew.stop();
    m_deadline.stop();
    const RouterMapping held = m_mapping;
    m_mapping = {};
    removeMapping(held);
}

void PortMapper::removeMapping(const RouterMapping &mapping)
{
    if (!mapping.opened)
        return;
    {
        std::lock_guard lock(m_worker->mutex);
        ++m_worker->removals;
    }
    const std::shared_ptr<Worker> worker = m_worker;
    QPointer<PortMapper> self(this);
    Worker::run(
        m_worker,
        [worker, mapping] {
            const QString problem = UpnpGateway::close(mapping);
            std::lock_guard lock(worker->mutex);
            --worker->removals;
            worker->done.notify_all();
            return problem;
        },
        [self](const QString &problem) {
            if (!self)
                return;
            if (!problem.isEmpty())
                Q_EMIT self->statusLine(problem);
            Q_EMIT self->removed(problem);
        });
}

bool PortMapper::waitForRemovals(int ms)
{
    std::unique_lock lock(m_worker->mutex);
    return m_worker->done.wait_for(lock, std::chrono::milliseconds(ms),
                                   [this] { return m_worker->removals == 0; });
}
