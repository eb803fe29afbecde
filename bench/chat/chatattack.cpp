// Times the chat transcript against a hostile peer: a sender who alternates its colour after
// many earlier lines, and lines made of one enormous word. Each pattern runs on a fresh board
// shown on the current Qt platform (offscreen by default), with the event loop run after every
// line so layout and painting are counted, and until waiting colour changes are applied. Prints CPU seconds and the slowest line.
// Usage: bench-chat [earlier-lines] [alternating-lines] [long-lines] [word-chars]
#include "board.h"
#include "chatview.h"
#include "messageboxes.h"
#include "shellopen.h"

#include <QApplication>
#include <QTextBrowser>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double wallSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Figures
{
    double cpu = 0;
    double slowestLine = 0; // wall seconds of the slowest line, event loop included
};

// A board with its chat, shown, so the transcript is laid out and painted as in the game.
class Table
{
public:
    Table()
    {
        m_board.show();
        QApplication::processEvents();
    }
    ChatView &chat() { return m_chat; }
    QTextDocument &document() { return *m_board.mainchat->document(); }

    // Runs addLine(n) for n = 0 .. count - 1, each followed by the event loop.
    Figures measure(int count, const std::function<void(int)> &addLine)
    {
        Figures f;
        const double start = cpuSeconds();
        for (int n = 0; n < count; ++n) {
            const double before = wallSeconds();
            addLine(n);
            QApplication::processEvents();
            f.slowestLine = std::max(f.slowestLine, wallSeconds() - before);
        }
        // Until colour changes still waiting have been applied.
        const double settle = wallSeconds() + ChatView::RestyleDelayMs / 1000.0 * 3;
        while (wallSeconds() < settle)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        f.cpu = cpuSeconds() - start;
        return f;
    }

private:
    Board m_board;
    RecordingShellOpen m_shell;
    RecordingMessageBoxes m_boxes;
    ChatView m_chat{*m_board.mainchat, m_shell, m_boxes};
};

// A chat line of seat 3's Mallory in colour.
ChatLine mallory(const QString &text, const QColor &color)
{
    return {ChatLine::Kind::Chat, 3, QStringLiteral("Mallory"), text, color};
}

int argument(int argc, char **argv, int index, int fallback)
{
    return argc > index ? std::max(1, std::atoi(argv[index])) : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int earlier = argument(argc, argv, 1, 2000);
    const int alternating = argument(argc, argv, 2, 40);
    const int longLines = argument(argc, argv, 3, 60);
    const int wordChars = argument(argc, argv, 4, 60000);

    {
        Table table;
        const QColor blue(0, 0, 255);
        const QColor red(255, 0, 0);
        const Figures setup = table.measure(earlier, [&](int n) {
            table.chat().addLine(mallory(QStringLiteral("earlier line %1 with a few words").arg(n), blue));
        });
        const Figures attack = table.measure(alternating, [&](int n) {
            table.chat().addLine(mallory(QStringLiteral("colour %1").arg(n), n % 2 ? blue : red));
        });
        std::printf("colour attack: %d earlier lines of the sender took %.2f s CPU; %d colour-alternating lines "
                    "took %.2f s CPU (slowest line %.3f s); transcript %d lines\n",
                    earlier, setup.cpu, alternating, attack.cpu, attack.slowestLine,
                    table.document().blockCount());
    }
    {
        Table table;
        const QString word(wordChars, QLatin1Char('x'));
        const Figures attack =
            table.measure(longLines, [&](int) { table.chat().addLine(mallory(word, QColor(0, 0, 0))); });
        std::printf("long-word attack: %d lines of one %d-character word took %.2f s CPU (slowest line %.3f s)\n",
                    longLines, wordChars, attack.cpu, attack.slowestLine);
    }
    return 0;
}
