// bench-sound-qt, bench-sound-desktop: one sound back end measured the way the game uses
// it (Qt Multimedia's QSoundEffect, or the game's own desktop sound player). Prints the
// resident memory before the first sound and 1 s after it, how long the first play() call
// took (the back end being opened included), the CPU used while ten clips play and, with
// --latency FIFO, the milliseconds from the play() call until the clip's first loud sample
// comes out of FIFO, the pipe of a PulseAudio pipe sink (module-pipe-sink, s16le, 22050 Hz,
// mono) that is the default sink.
// Usage: bench-sound-qt|bench-sound-desktop [--latency FIFO]
#include "soundplayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#ifdef SOUND_BACK_END_QT
#include <QSoundEffect>
#include <QUrl>
#include <map>
#endif

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace {

long residentKiB()
{
    FILE *status = std::fopen("/proc/self/status", "r");
    char line[256];
    long kib = -1;
    while (status && std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmRSS: %ld", &kib) == 1)
            break;
    }
    if (status)
        std::fclose(status);
    return kib;
}

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

#ifdef SOUND_BACK_END_QT
// QSoundEffect, one effect per clip, the newest stopping the one still playing.
class QtEffects : public SoundPlayer
{
public:
    void play(const QString &name) override
    {
        if (m_playing)
            m_playing->stop();
        auto &effect = m_effects[name];
        if (!effect) {
            effect = std::make_unique<QSoundEffect>();
            effect->setSource(QUrl(QStringLiteral("qrc") + resourcePath(name)));
        }
        m_playing = effect.get();
        m_playing->play();
    }

private:
    std::map<QString, std::unique_ptr<QSoundEffect>> m_effects;
    QSoundEffect *m_playing = nullptr;
};
#endif

// Drains the sink's pipe and notes when the first loud sample arrives after arm().
class Listener
{
public:
    explicit Listener(const char *fifo)
        : m_fd(::open(fifo, O_RDONLY))
    {
        if (m_fd < 0)
            std::perror("bench-sound: fifo");
        else
            m_thread = std::thread([this] { listen(); });
    }
    ~Listener()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    void arm() { m_clock.start(), m_armed = true; }
    double heardAfterMs() const { return m_heardMs; }

private:
    void listen()
    {
        int16_t samples[64]; // about 3 ms
        while (!m_stop && ::read(m_fd, samples, sizeof samples) > 0) {
            if (!m_armed || m_heardMs >= 0)
                continue;
            for (int16_t s : samples) {
                if (std::abs(int(s)) > 256) {
                    m_heardMs = double(m_clock.nsecsElapsed()) / 1e6;
                    break;
                }
            }
        }
    }

    int m_fd = -1;
    std::thread m_thread;
    QElapsedTimer m_clock;
    std::atomic<bool> m_armed{false};
    std::atomic<bool> m_stop{false};
    std::atomic<double> m_heardMs{-1};
};

} // namespace

void wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5), QThread::msleep(1);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::unique_ptr<Listener> listener;
    if (argc == 3 && std::strcmp(argv[1], "--latency") == 0)
        listener = std::make_unique<Listener>(argv[2]);
#ifdef SOUND_BACK_END_QT
    const char *backEnd = "qt";
    auto player = std::make_unique<QtEffects>();
#else
    const char *backEnd = "desktop";
    auto player = std::make_unique<DesktopSoundPlayer>();
#endif
    wait(300);
    const long before = residentKiB();
    if (listener)
        listener->arm();
    QElapsedTimer call;
    call.start();
    player->play(QStringLiteral("dice"));
    const double callMs = double(call.nsecsElapsed()) / 1e6;
    wait(1000);
    const long after = residentKiB();
    const double heard = listener ? listener->heardAfterMs() : -1;
    const double cpuBefore = cpuMs();
    const char *clips[] = {"turn", "dice", "gotpoints", "entered", "wave1"};
    for (int i = 0; i < 10; ++i) {
        player->play(QString::fromLatin1(clips[i % 5]));
        wait(300);
    }
    const double cpu = cpuMs() - cpuBefore;
    std::printf("%s rss_before_kib %ld rss_after_kib %ld first_call_ms %.2f heard_ms %.1f cpu_10_clips_ms %.1f\n",
                backEnd, before, after, callMs, heard, cpu);
    return 0;
}
