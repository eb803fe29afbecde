// Entry functions of the fuzz targets: each takes one arbitrary input and returns 0. A fault
// shows as a crash, a sanitizer report or an abort from a broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz_hostdispatch {
int fuzzOne(const std::uint8_t *data, std::size_t size);
}
namespace fuzz_protocol {
int fuzzOne(const std::uint8_t *data, std::size_t size);
}
namespace fuzz_container {
int fuzzOne(const std::uint8_t *data, std::size_t size);
}
namespace fuzz_tallygrid {
int fuzzOne(const std::uint8_t *data, std::size_t size);
}
namespace fuzz_inifile {
int fuzzOne(const std::uint8_t *data, std::size_t size);
}
namespace fuzz_clientdispatch {
int fuzzOne(const std::uint8_t *data, std::size_t size);
}
namespace fuzz_chatlayout {
int fuzzOne(const std::uint8_t *data, std::size_t size);
}

namespace fuzzsupport {

// Aborts with the message when an invariant does not hold (the fuzzer records the input).
void check(bool condition, const char *what);
// Creates the process's QCoreApplication unless one exists (timers need an event dispatcher).
void ensureApplication();
// Creates the process's QApplication (offscreen unless QT_QPA_PLATFORM says otherwise) unless
// one exists; aborts when a non-widget application was made first.
void ensureWidgetsApplication();
// Runs f with the leak checker looking away: for filling the toolkit's process-wide caches
// (font faces and engines) once, which it keeps where the checker cannot see them.
void withoutLeakCheck(void (*f)());
// A directory for this process's scratch files, created on first use.
const char *scratchDir();

} // namespace fuzzsupport
