// dorvane-host: runs the game host without a window until SIGINT or SIGTERM.
// Usage: dorvane-host [PORT] [--time-scale S] [--seed N]
#include "serverform.h"
#include "gamerandom.h"
#include "ports.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop reads the byte and quits.
void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

bool installSignalPipe()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

struct Options
{
    QString port = QString::number(ports::Game);
    double timeScale = 1.0;
    std::optional<quint32> seed; // repeatable dice
    bool valid = true;
};

Options parseOptions(const QStringList &args)
{
    Options options;
    bool portSeen = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--time-scale") && i + 1 < args.size()) {
            bool ok = false;
            options.timeScale = args[++i].toDouble(&ok);
            options.valid = options.valid && ok && options.timeScale >= 0;
        } else if (arg == QLatin1String("--seed") && i + 1 < args.size()) {
            bool ok = false;
            options.seed = args[++i].toUInt(&ok);
            options.valid = options.valid && ok;
        } else if (!portSeen && !arg.startsWith(QLatin1Char('-'))) {
            bool ok = false;
            const uint port = arg.toUInt(&ok);
            options.valid = options.valid && ok && port <= 65535;
            options.port = arg;
            portSeen = true;
        } else {
            options.valid = false;
        }
    }
    return options;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const Options options = parseOptions(app.arguments());
    if (!options.valid) {
        std::fprintf(stderr, "usage: dorvane-host [PORT] [--time-scale S] [--seed N]\n");
        return 2;
    }
    if (!installSignalPipe()) {
        std::perror("dorvane-host: signal pipe");
        return 1;
    }
    QSocketNotifier quitNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&quitNotifier, &QSocketNotifier::activated, &app, [&app] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        app.quit();
    });

    if (options.seed)
        seedGameRandom(*options.seed);
    TServer server;
    server.setTimeScale(options.timeScale);
    server.setPortName(options.port);
    QObject::connect(&server, &TServer::requestDropped, [](const QString &reason) {
        std::fprintf(stderr, "dorvane-host: %s\n", reason.toLocal8Bit().constData());
        std::fflush(stderr);
    });
    try {
        server.startListening();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "dorvane-host: %s\n", e.what());
        return 1;
    }
    std::printf("dorvane-host listening on port %u\n", unsigned(server.listeningPort()));
    std::fflush(stdout);
    return app.exec();
}
