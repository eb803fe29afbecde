// dorvane-server: holds any number of tables for players who cannot host themselves, until
// SIGINT or SIGTERM.
// Usage: dorvane-server [--port N] [--address A] [--time-scale S] [--seed N] [--shard S --shards FILE]
#include "gamerandom.h"
#include "ports.h"
#include "tableserver.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <optional>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char Usage[] = "usage: dorvane-server [--port N] [--address A] [--time-scale S] [--seed N] "
                     "[--shard S --shards FILE]\n";

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the loop reads the byte and stops.
void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

bool installSignalPipe()
{
    // A pipe rather than a socket pair: the service may use no address family but the
    // internet's.
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    std::signal(SIGPIPE, SIG_IGN);
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

struct Options
{
    TableServer::Config config;
    std::optional<quint32> seed;
    int shard = -1;
    QString shardsFile;
};

// The options, or nullopt with *error saying what is wrong.
std::optional<Options> parseOptions(int argc, char **argv, QString *error)
{
    Options options;
    options.config.port = ports::Game;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (i + 1 >= argc) {
            *error = QStringLiteral("%1 needs a value").arg(arg);
            return std::nullopt;
        }
        const QString value = QString::fromLocal8Bit(argv[++i]);
        bool ok = false;
        if (arg == QLatin1String("--port")) {
            const uint port = value.toUInt(&ok);
            ok = ok && port <= 65535;
            options.config.port = quint16(port);
        } else if (arg == QLatin1String("--address")) {
            ok = !value.isEmpty();
            options.config.address = value;
        } else if (arg == QLatin1String("--time-scale")) {
            options.config.timeScale = value.toDouble(&ok);
            ok = ok && options.config.timeScale >= 0;
        } else if (arg == QLatin1String("--seed")) {
            options.seed = value.toUInt(&ok);
        } else if (arg == QLatin1String("--shard")) {
            options.shard = value.toInt(&ok);
            ok = ok && options.shard >= 0;
        } else if (arg == QLatin1String("--shards")) {
            ok = !value.isEmpty();
            options.shardsFile = value;
        } else {
            *error = QStringLiteral("unknown option %1").arg(arg);
            return std::nullopt;
        }
        if (!ok) {
            *error = QStringLiteral("bad value for %1: %2").arg(arg, value);
            return std::nullopt;
        }
    }
    if ((options.shard >= 0) != !options.shardsFile.isEmpty()) {
        *error = QStringLiteral("--shard and --shards go together");
        return std::nullopt;
    }
    if (!options.shardsFile.isEmpty()) {
        QFile file(options.shardsFile);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(options.shardsFile, file.errorString());
            return std::nullopt;
        }
        const std::optional<ShardMap> shards = ShardMap::parse(file.readAll(), options.shard, error);
        if (!shards)
            return std::nullopt;
        options.config.shards = *shards;
    }
    return options;
}

void logLine(const QByteArray &line)
{
    std::fprintf(stderr, "dorvane-server: %s\n", line.constData());
    std::fflush(stderr);
}

} // namespace

int main(int argc, char **argv)
{
    QString error;
    const std::optional<Options> options = parseOptions(argc, argv, &error);
    if (!options) {
        std::fprintf(stderr, "dorvane-server: %s\n%s", error.toLocal8Bit().constData(), Usage);
        return 2;
    }
    if (options->seed)
        seedGameRandom(*options->seed);
    if (!installSignalPipe()) {
        std::perror("dorvane-server: signal pipe");
        return 1;
    }
    const long files = TableServer::raiseOpenFileLimit();

    TableServer server(options->config, logLine);
    if (!server.listen(&error)) {
        std::fprintf(stderr, "dorvane-server: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    server.watchQuit(signalPipe[0]);
    logLine("open-file limit " + QByteArray::number(qint64(files)) + "; shard "
            + QByteArray::number(options->config.shards.self()) + " of "
            + QByteArray::number(options->config.shards.count()));
    std::printf("dorvane-server listening on port %u\n", unsigned(server.port()));
    std::fflush(stdout);
    server.run();
    logLine("stopped; " + QByteArray::number(server.tables()) + " tables closed");
    return 0;
}
