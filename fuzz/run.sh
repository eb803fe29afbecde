#!/bin/sh
# Builds the libFuzzer targets with clang into build-fuzz and runs each for SECONDS seconds
# (default 30), starting from its seed corpus in tests/fuzz/corpus/<target>. New inputs go
# to build-fuzz/corpus/<target>; a crash leaves its reproducer in build-fuzz/findings/.
# A target with a fuzz/<target>.dict gets that dictionary.
#   fuzz/run.sh [SECONDS] [TARGET...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds=${1:-30}
[ $# -gt 0 ] && shift
targets=${*:-"hostdispatch protocol container tallygrid inifile clientdispatch chatlayout"}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDORVANE_FUZZ=ON -DDORVANE_BUILD_TESTS=OFF -DDORVANE_BUILD_BENCH=OFF >/dev/null
for t in $targets; do
    cmake --build "$build" --target "fuzz_$t" -j2
done

export QT_QPA_PLATFORM=offscreen
export TMPDIR="${TMPDIR:-/dev/shm}"
status=0
for t in $targets; do
    mkdir -p "$build/corpus/$t" "$build/findings"
    dict=""
    [ -f "$root/fuzz/$t.dict" ] && dict="-dict=$root/fuzz/$t.dict"
    echo "== fuzz_$t for ${seconds}s"
    "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 $dict \
        -artifact_prefix="$build/findings/$t-" -print_final_stats=1 \
        "$build/corpus/$t" "$root/tests/fuzz/corpus/$t" || status=1
done
exit $status
