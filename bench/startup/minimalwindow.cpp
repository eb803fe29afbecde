// bench-minimal-window: one Qt Widgets window; quits once the window is first exposed and
// prints the milliseconds from process start to that moment. With --stay it stays open
// (the reference for resident memory and idle cost).
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <cstdio>

namespace {

class MinimalWindow : public QLabel
{
public:
    MinimalWindow(const QElapsedTimer &clock, bool stay)
        : QLabel(QStringLiteral("minimal"))
        , m_clock(clock)
        , m_stay(stay)
    {
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLabel::paintEvent(event);
        if (m_reported)
            return;
        m_reported = true;
        std::printf("exposed after %lld ms\n", static_cast<long long>(m_clock.elapsed()));
        std::fflush(stdout);
        if (!m_stay)
            QTimer::singleShot(0, qApp, &QApplication::quit);
    }

private:
    const QElapsedTimer &m_clock;
    const bool m_stay;
    bool m_reported = false;
};

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    MinimalWindow window(clock, QApplication::arguments().contains(QStringLiteral("--stay")));
    window.setWindowTitle(QStringLiteral("bench-minimal-window"));
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
