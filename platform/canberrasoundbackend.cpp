#include "canberrasoundbackend.h"

#include <QFile>
#include <canberra.h>

namespace {

// Every clip is played under this one id, so cancelling it cuts off whatever still plays.
constexpr uint32_t ClipId = 1;

// The sound system's connection; made on the worker thread by the first request.
class Context
{
public:
    // Empty when the sound system is ready; otherwise why it is not.
    std::string open()
    {
        int rc = ca_context_create(&m_context);
        if (rc == CA_SUCCESS)
            rc = ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Dorvane", CA_PROP_APPLICATION_ID,
                                         "example.vorn22software.Dorvane", nullptr);
        if (rc == CA_SUCCESS)
            rc = ca_context_open(m_context);
        return rc == CA_SUCCESS ? std::string() : std::string("no sound output: ") + ca_strerror(rc);
    }
    ~Context()
    {
        if (m_context)
            ca_context_destroy(m_context);
    }
    // Cuts off the clip still playing and starts file; empty, or why it failed.
    std::string play(const std::string &file)
    {
        ca_context_cancel(m_context, ClipId);
        const int rc = ca_context_play(m_context, ClipId, CA_PROP_MEDIA_FILENAME, file.c_str(),
                                       CA_PROP_CANBERRA_CACHE_CONTROL, "never", nullptr);
        return rc == CA_SUCCESS ? std::string() : std::string("cannot play a sound: ") + ca_strerror(rc);
    }

private:
    ca_context *m_context = nullptr;
};

} // namespace

CanberraSoundBackEnd::CanberraSoundBackEnd()
    : m_worker([this] { run(); })
{
}

CanberraSoundBackEnd::~CanberraSoundBackEnd()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_worker.join();
}

QString CanberraSoundBackEnd::clipFile(const QString &name, const QByteArray &wav)
{
    if (!m_folder.isValid())
        return QString();
    const QString path = m_folder.filePath(name + QStringLiteral(".wav"));
    if (!m_written.contains(name)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size())
            return QString();
        m_written.insert(name);
    }
    return path;
}

void CanberraSoundBackEnd::play(const QString &name, const QByteArray &wav)
{
    const QString file = clipFile(name, wav);
    std::lock_guard lock(m_mutex);
    if (file.isEmpty()) {
        m_problem = "cannot write the sound clips into a temporary folder";
        return;
    }
    m_next = QFile::encodeName(file).toStdString();
    m_wake.notify_one();
}

QString CanberraSoundBackEnd::problem() const
{
    std::lock_guard lock(m_mutex);
    return QString::fromStdString(m_problem);
}

void CanberraSoundBackEnd::run()
{
    Context context;
    bool opened = false;
    std::string silentBecause;
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stop || !m_next.empty(); });
        if (m_stop)
            return;
        const std::string file = std::exchange(m_next, std::string());
        lock.unlock();
        if (!opened) {
            opened = true;
            silentBecause = context.open(); // a machine without audio output stays silent
        }
        const std::string failure = silentBecause.empty() ? context.play(file) : silentBecause;
        lock.lock();
        if (!failure.empty())
            m_problem = failure;
    }
}

extern "C" Q_DECL_EXPORT SoundBackEnd *dorvane_create_sound_back_end()
{
    return new CanberraSoundBackEnd;
}
