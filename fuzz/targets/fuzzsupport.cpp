#include "fuzztargets.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzzsupport {

void check(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

void ensureApplication()
{
    if (QCoreApplication::instance() != nullptr)
        return;
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

const char *scratchDir()
{
    // Kept until the very end: the exit handler that removes the directory still needs it.
    static const std::string *const dir = [] {
        const auto path = std::filesystem::temp_directory_path() / ("dorvane-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(*dir, ec);
        });
        return new std::string(path.string());
    }();
    return dir->c_str();
}

} // namespace fuzzsupport
