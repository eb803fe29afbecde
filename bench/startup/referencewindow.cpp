// bench-reference-window: the yardstick for start-up and memory, a Qt Widgets program in the
// shape of the game's main window without the game: a main window with a menu bar of four
// menus, a central widget holding a few pictures from a resource file in QLabels, and a
// QTextBrowser. Quits once the window is first exposed and prints the milliseconds from
// process start to that moment; with --stay it stays open (memory and idle cost). Its window
// has the size of the game's main window.
#include <QApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QTextBrowser>
#include <QTimer>

#include <cstdio>

namespace {

class ReferenceWindow : public QMainWindow
{
public:
    ReferenceWindow(const QElapsedTimer &clock, bool stay)
        : m_clock(clock)
        , m_stay(stay)
    {
        createMenus();
        createCentralWidget();
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QMainWindow::paintEvent(event);
        if (m_reported)
            return;
        m_reported = true;
        std::printf("exposed after %lld ms\n", static_cast<long long>(m_clock.elapsed()));
        std::fflush(stdout);
        if (!m_stay)
            QTimer::singleShot(0, qApp, &QApplication::quit);
    }

private:
    void createMenus()
    {
        const struct
        {
            const char *title;
            QStringList items;
        } menus[] = {
            {"&Game", {"&New", "&Open...", "&Save", "&Quit"}},
            {"&Options", {"Play &Sounds", "&Colours..."}},
            {"&Lists", {"&Scores", "&Players"}},
            {"&Help", {"&Contents", "&About"}},
        };
        for (const auto &m : menus) {
            QMenu *menu = menuBar()->addMenu(QString::fromLatin1(m.title));
            for (const QString &item : m.items)
                menu->addAction(item);
        }
    }

    void createCentralWidget()
    {
        auto *central = new QWidget(this);
        auto *grid = new QGridLayout(central);
        const char *pictures[] = {"logo", "card", "body1", "face5", "rolls0", "smiley01"};
        int column = 0;
        for (const char *name : pictures) {
            auto *label = new QLabel(central);
            label->setPixmap(QPixmap(QStringLiteral(":/reference/%1.png").arg(QLatin1String(name))));
            grid->addWidget(label, 0, column++);
        }
        auto *text = new QTextBrowser(central);
        text->setHtml(QStringLiteral("<b>Welcome</b> to the reference window."));
        grid->addWidget(text, 1, 0, 1, column);
        setCentralWidget(central);
    }

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
    ReferenceWindow window(clock, QApplication::arguments().contains(QStringLiteral("--stay")));
    window.setWindowTitle(QStringLiteral("bench-reference-window"));
    // The game's main window: a client area of 692 x 544 below the menu bar, so both programs
    // paint and hold a backing store of the same size.
    window.resize(692, 544 + window.menuBar()->sizeHint().height());
    window.show();
    return QApplication::exec();
}
