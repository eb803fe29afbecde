// bench-first-window: runs a command and prints the milliseconds from its start until a
// top-level window titled exactly TITLE (any window without --title) is mapped on
// the display; then ends the command. With --rss-after S it first waits S seconds more
// and adds the command's resident memory then (VmRSS of the started process, in KiB).
// Usage: bench-first-window [--title TITLE] [--rss-after SECONDS] -- COMMAND...
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string windowTitle(xcb_connection_t *c, xcb_window_t window)
{
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(c, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(c, cookie, nullptr);
    if (!reply)
        return {};
    const std::string title(static_cast<const char *>(xcb_get_property_value(reply)),
                            std::size_t(xcb_get_property_value_length(reply)));
    std::free(reply);
    return title;
}

void endChild(pid_t child)
{
    ::kill(-child, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (::waitpid(child, nullptr, WNOHANG) == child)
            return;
        ::usleep(100000);
    }
    ::kill(-child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

// VmRSS of a process in KiB, or -1 when it has gone.
long residentKiB(pid_t pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    FILE *status = std::fopen(path.c_str(), "r");
    if (!status)
        return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmRSS: %ld", &kib) == 1)
            break;
    }
    std::fclose(status);
    return kib;
}

} // namespace

int main(int argc, char **argv)
{
    std::string title;
    double rssAfter = -1;
    int first = 1;
    while (first + 1 < argc && argv[first][0] == '-' && std::strcmp(argv[first], "--") != 0) {
        if (std::strcmp(argv[first], "--title") == 0)
            title = argv[first + 1];
        else if (std::strcmp(argv[first], "--rss-after") == 0)
            rssAfter = std::atof(argv[first + 1]);
        else
            break;
        first += 2;
    }
    if (first < argc && std::strcmp(argv[first], "--") == 0)
        ++first;
    if (first >= argc) {
        std::fprintf(stderr, "usage: bench-first-window [--title TITLE] [--rss-after SECONDS] -- COMMAND...\n");
        return 2;
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "bench-first-window: no X display\n");
        return 1;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    ::alarm(60); // a program that never shows a window does not hang the benchmark
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::setpgid(0, 0); // its own process group, so that ending it ends every process it started
        ::execvp(argv[first], argv + first);
        std::perror("bench-first-window: exec");
        ::_exit(127);
    }
    ::setpgid(child, child);
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t *>(event)->window;
        const bool override = mapped && reinterpret_cast<xcb_map_notify_event_t *>(event)->override_redirect;
        std::free(event);
        if (!mapped || override)
            continue;
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        const std::string name = windowTitle(c, window);
        if (std::getenv("BENCH_FIRST_WINDOW_VERBOSE"))
            std::fprintf(stderr, "mapped 0x%x \"%s\" after %.1f ms\n", window, name.c_str(), ms);
        if (!title.empty() && name != title)
            continue;
        if (rssAfter >= 0) {
            // The command's own event loop goes on meanwhile; nothing here talks to it.
            ::usleep(useconds_t(rssAfter * 1e6));
            std::printf("%.1f ms \"%s\" %ld KiB\n", ms, name.c_str(), residentKiB(child));
        } else {
            std::printf("%.1f ms \"%s\"\n", ms, name.c_str());
        }
        std::fflush(stdout);
        endChild(child);
        xcb_disconnect(c);
        return 0;
    }
    endChild(child);
    std::fprintf(stderr, "bench-first-window: display closed\n");
    return 1;
}
