// bench-first-sound: how long a game sound takes to reach the sound server. Starts the
// watcher (bench-sound-watch, which reports every new playback stream the server sees),
// makes the game's desktop sound player (its module not yet open), then plays "entered"
// and LATER more clips 0.4 s apart, each time measuring from just before play() to the
// server's notice of the new stream. Both sides read CLOCK_MONOTONIC.
// With --no-output instead of WATCHER, only the play() calls are timed (what a sound costs
// the game on a machine with nowhere to play).
// Usage: bench-first-sound WATCHER|--no-output [LATER]     (LATER 5 by default, at most 50)
// Prints: "first call_ms A stream_ms B" and "later call_ms A stream_ms B (median of N)";
// stream_ms is -1 when no stream was seen within 3 s (the reason follows). With
// --no-output: "no output: call_ms A later B (median of N); REASON".
#include "soundplayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The watcher's output, a line at a time.
class Watcher
{
public:
    explicit Watcher(const QString &program) { m_process.start(program, {}); }
    ~Watcher()
    {
        m_process.closeWriteChannel(); // the watcher stops at the end of its input
        if (!m_process.waitForFinished(2000))
            m_process.kill();
    }
    // The next line within ms milliseconds, or empty.
    QByteArray nextLine(int ms)
    {
        QElapsedTimer waited;
        waited.start();
        while (!m_process.canReadLine() && waited.elapsed() < ms)
            m_process.waitForReadyRead(int(ms - waited.elapsed()) + 1);
        return m_process.canReadLine() ? m_process.readLine().trimmed() : QByteArray();
    }
    // Milliseconds from sinceNs to the next new stream, or -1 after 3 s or another notice.
    double streamAfter(long long sinceNs)
    {
        const QByteArray line = nextLine(3000);
        if (!line.startsWith("new ")) {
            m_last = line.isEmpty() ? QByteArray("no stream within 3 s") : line;
            return -1;
        }
        return double(line.mid(4).toLongLong() - sinceNs) / 1e6;
    }
    QByteArray last() const { return m_last; }

private:
    QProcess m_process;
    QByteArray m_last;
};

void waitMs(int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: bench-first-sound WATCHER [LATER]\n");
        return 2;
    }
    const int later = argc == 3 ? std::clamp(std::atoi(argv[2]), 0, 50) : 5;
    const char *clips[] = {"dice", "turn", "gotpoints", "dice", "wave1"};
    if (std::strcmp(argv[1], "--no-output") == 0) {
        DesktopSoundPlayer player;
        std::vector<double> calls;
        for (int i = 0; i <= later; ++i) {
            const long long start = monotonicNs();
            player.play(QString::fromLatin1(i ? clips[i % 5] : "entered"));
            calls.push_back(double(monotonicNs() - start) / 1e6);
        }
        std::printf("no output: call_ms %.3f later %.3f (median of %d); %s\n", calls.front(),
                    median(std::vector<double>(calls.begin() + 1, calls.end())), later,
                    qPrintable(player.problem()));
        return 0;
    }
    Watcher watcher(QString::fromLocal8Bit(argv[1]));
    const QByteArray ready = watcher.nextLine(5000);
    if (ready != "ready") {
        std::fprintf(stderr, "bench-first-sound: the watcher did not start: %s\n",
                     ready.isEmpty() ? "no answer" : ready.constData());
        return 1;
    }
    DesktopSoundPlayer player;
    waitMs(300);

    // play(name): "call_ms stream_ms" of one sound.
    auto play = [&](const char *name) {
        const long long start = monotonicNs();
        player.play(QString::fromLatin1(name));
        const double callMs = double(monotonicNs() - start) / 1e6;
        return std::pair(callMs, watcher.streamAfter(start));
    };
    const auto [firstCall, firstStream] = play("entered");
    std::printf("first call_ms %.2f stream_ms %.1f\n", firstCall, firstStream);
    std::vector<double> calls, streams;
    for (int i = 0; i < later; ++i) {
        waitMs(400);
        const auto [call, stream] = play(clips[i % 5]);
        calls.push_back(call);
        if (stream >= 0)
            streams.push_back(stream);
    }
    std::printf("later call_ms %.2f stream_ms %.1f (median of %zu)\n", median(calls), median(streams),
                streams.size());
    if (firstStream < 0 || int(streams.size()) < later)
        std::printf("missed: %s; player: %s\n", watcher.last().constData(), qPrintable(player.problem()));
    return 0;
}
