// Repaint time of the main window's board area (wood, board, dice, sheets, chat and phase
// list) with ten dice on the table, at the design size and at larger scales. Each repaint
// renders the whole area into an image of its size, as the window system's backing store
// would be painted after an exposure; the median and the spread of the runs are printed.
// Usage: bench-board-scale [repaints] [scales...]      (default 60 repaints, 1 1.5 2)
#include "board.h"
#include "clientmodel.h"
#include "dicetray.h"
#include "picturebox.h"
#include "woodbackground.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

ClientModel tableWithDice(bool symbols)
{
    ClientModel model;
    for (int n = 1; n <= 10; ++n) {
        model.dice[n] = TDie{n % 10, n % 4 + 1, n % 3 == 0};
        model.dieDrawn[n] = true;
        model.dieRaised[n] = n % 3 == 0;
    }
    model.illustration = symbols ? 8 : 3;
    model.phaseLine = QStringLiteral("Phase 3: SET of 4 and RUN of 4");
    model.statusLine = QStringLiteral("It is your turn");
    return model;
}

struct Figures
{
    double median = 0;
    double fastest = 0;
    double slowest = 0;
};

Figures repaintTimes(qreal scale, int repaints, bool symbols)
{
    WoodBackground area;
    const QSize size(qRound(WoodBackground::DesignWidth * scale), qRound(WoodBackground::DesignHeight * scale));
    area.resize(size);
    area.show();
    QApplication::processEvents();
    Board &board = *area.board();
    board.setColourSymbols(symbols);
    DiceTray tray(board);
    const ClientModel model = tableWithDice(symbols);
    board.render(model, TurnButtons{});
    tray.render(model);
    QImage target(size, QImage::Format_ARGB32_Premultiplied);
    area.render(&target); // the first paint decodes the pictures: not counted
    std::vector<double> ms;
    for (int i = 0; i < repaints; ++i) {
        QElapsedTimer timer;
        timer.start();
        area.render(&target);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front(), ms.back()};
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repaints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    std::vector<double> scales;
    for (int i = 2; i < argc; ++i)
        scales.push_back(std::atof(argv[i]));
    if (scales.empty())
        scales = {1.0, 1.5, 2.0};
    std::printf("repaint of the board area, %d repaints each, device pixel ratio %.2f\n", repaints,
                app.devicePixelRatio());
    std::printf("%-6s %-11s %-8s %10s %10s %10s\n", "scale", "area", "symbols", "median ms", "fastest", "slowest");
    for (const double scale : scales) {
        for (const bool symbols : {false, true}) {
            const Figures f = repaintTimes(scale, repaints, symbols);
            std::printf("%-6.2f %4dx%-6d %-8s %10.2f %10.2f %10.2f\n", scale,
                        qRound(WoodBackground::DesignWidth * scale), qRound(WoodBackground::DesignHeight * scale),
                        symbols ? "on" : "off", f.median, f.fastest, f.slowest);
        }
    }
    return 0;
}
