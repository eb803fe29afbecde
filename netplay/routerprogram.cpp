// dorvane-router: the game's conversation with the home router, in a process of its own.
//
//   dorvane-router PORT LEASE-SECONDS [DESCRIPTION-URL] [--ipv6 ADDRESS]
//
// Opens the port (and, where the router offers IPv6 firewall control, lets it in over IPv6
// to ADDRESS, this computer's own global IPv6 address unless given), writes the answer to
// standard output (see RouterWire), keeps both renewed, and removes them when a "stop" line
// arrives or standard input closes — also when the game has ended or crashed. The work runs in a child process under limits of memory,
// processor time and wall-clock time; whatever a router sends, a fault ends only that child,
// and this parent reports it to the game as a "stopped" line.
#include "routerwire.h"
#include "upnpgateway.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr rlim_t MemoryLimit = 256u << 20; // address space of the working child
constexpr rlim_t ProcessorSeconds = 60;    // over the child's whole life (hours of hosting)
constexpr unsigned OpenSeconds = 30;       // one attempt to open or renew the port
constexpr unsigned RemoveSeconds = 5;      // removing the mapping

void say(const QByteArray &lines)
{
    qsizetype at = 0;
    while (at < lines.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, lines.constData() + at, lines.size() - at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // the game has gone; the work goes on
        at += n;
    }
}

// Waits up to ms (-1: for ever) for the game; true when it asks to stop or has closed the pipe.
bool gameSaysStop(int ms)
{
    pollfd p{STDIN_FILENO, POLLIN, 0};
    const int r = ::poll(&p, 1, ms);
    if (r == 0 || (r < 0 && errno == EINTR))
        return false;
    char buffer[256];
    const ssize_t n = r < 0 ? 0 : ::read(STDIN_FILENO, buffer, sizeof buffer);
    return n <= 0 || QByteArray(buffer, n).contains("stop");
}

void limit(int resource, rlim_t value)
{
    const rlimit l{value, value};
    ::setrlimit(resource, &l);
}

int work(const RouterRequest &request)
{
#if !defined(__SANITIZE_ADDRESS__)
    limit(RLIMIT_AS, MemoryLimit); // the address sanitizer reserves far more address space
#endif
    limit(RLIMIT_CPU, ProcessorSeconds);
    limit(RLIMIT_CORE, 0);
    ::alarm(OpenSeconds);
    RouterMapping mapping = UpnpGateway::open(request);
    ::alarm(0);
    say(RouterWire::answer(mapping));
    while (mapping.held()) {
        const int renewMs = mapping.permanent ? -1 : request.leaseSeconds * 500; // at half the lease
        if (gameSaysStop(renewMs)) {
            ::alarm(RemoveSeconds);
            say(RouterWire::removed(UpnpGateway::close(mapping)));
            return EXIT_SUCCESS;
        }
        ::alarm(OpenSeconds);
        mapping = UpnpGateway::open(request, mapping);
        ::alarm(0);
        say(RouterWire::answer(mapping));
    }
    return EXIT_SUCCESS;
}

QString whyStopped(int status)
{
    if (!WIFSIGNALED(status))
        return WEXITSTATUS(status) == EXIT_SUCCESS
                   ? QString()
                   : QStringLiteral("The conversation with the router ended unexpectedly.");
    switch (WTERMSIG(status)) {
    case SIGALRM:
        return QStringLiteral("The router took too long to answer, so the conversation with it was ended.");
    case SIGXCPU:
    case SIGKILL:
        return QStringLiteral("The conversation with the router took too much processor time and was ended.");
    default:
        return QStringLiteral("The router's answers could not be read safely (the conversation with it "
                              "ended with signal %1).")
            .arg(WTERMSIG(status));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QList<QByteArray> args;
    QByteArray ipv6;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--ipv6" && i + 1 < argc)
            ipv6 = QByteArray(argv[++i]).left(64);
        else
            args << QByteArray(argv[i]);
    }
    if (args.size() < 2 || args.size() > 3) {
        say(RouterWire::stopped(QStringLiteral("The router program was started without its port.")));
        return EXIT_FAILURE;
    }
    std::signal(SIGPIPE, SIG_IGN); // a game that has gone must not end the removal
    RouterRequest request;
    bool portOk = false, leaseOk = false;
    const uint port = args[0].toUInt(&portOk);
    request.leaseSeconds = args[1].toInt(&leaseOk);
    if (!portOk || port == 0 || port > 65535 || !leaseOk || request.leaseSeconds < 1) {
        say(RouterWire::stopped(QStringLiteral("The router program was given a port it cannot use.")));
        return EXIT_FAILURE;
    }
    request.port = static_cast<quint16>(port);
    if (args.size() == 3)
        request.rootUrl = args[2];
    request.ipv6Address = QString::fromLatin1(ipv6);

    // The game may end this process without waiting; the child then finishes on its own.
    const pid_t child = ::fork();
    if (child < 0) {
        say(RouterWire::stopped(QStringLiteral("The router program could not start its work.")));
        return EXIT_FAILURE;
    }
    if (child == 0)
        ::_exit(work(request));
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const QString reason = whyStopped(status);
    if (!reason.isEmpty())
        say(RouterWire::stopped(reason));
    return reason.isEmpty() ? EXIT_SUCCESS : EXIT_FAILURE;
}
