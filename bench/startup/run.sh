#!/usr/bin/env bash
# Start-up and resident memory: dorvane's solo start against the reference window (a Qt
# Widgets program in the shape of the main window), both started the same way on one
# private Xvfb display, alternating, N times each. bench-first-window reports the moment the
# X server maps the window titled "Dorvane" (or the reference's), then waits 3 s and reads
# the process's VmRSS (by then the solo start also shows its download window).
# Usage: bench/startup/run.sh [N]     (DORVANE_BUILD_DIR picks the build folder;
#        DORVANE_EXE another dorvane program, e.g. an older build, to compare)
# Prints: "startup reference MEDIAN_MS dorvane MEDIAN_MS ratio R",
#         "memory reference MEDIAN_MIB dorvane MEDIAN_MIB ratio R" and the single runs.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${DORVANE_BUILD_DIR:-$root/build}"
n="${1:-15}"
# shellcheck source=../../tests/gui/sandbox.sh
source "$root/tests/gui/sandbox.sh"
first="$build/bench/startup/bench-first-window"
reference="$build/bench/startup/bench-reference-window"
trap 'xvfb_stop; sandbox_cleanup' EXIT
xvfb_start 93
sandbox_init "${DORVANE_EXE:-$build/client/dorvane}"

# measure TITLE EXE [ARGS...]: "MS KIB" for the window titled TITLE; each run gets a fresh
# lock folder, and what the program prints is dropped.
measure() {
    local title=$1
    shift
    rm -rf "$SANDBOX/run" && mkdir -m 700 "$SANDBOX/run"
    "$first" --title "$title" --rss-after 3 -- env XDG_RUNTIME_DIR="$SANDBOX/run" \
        unshare -n sh -c 'ip link set lo up && exec "$@" >/dev/null 2>&1' sh "$@" 2>/dev/null |
        awk '{print $1, $(NF-1)}'
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
column() { awk -v c="$1" '{print $c}' "$2"; }

measure bench-reference-window "$reference" --stay >/dev/null # warm the file cache for both
measure Dorvane "$SANDBOX_EXE" >/dev/null
: >"$SANDBOX/reference.txt"
: >"$SANDBOX/dorvane.txt"
for _ in $(seq "$n"); do
    measure bench-reference-window "$reference" --stay >>"$SANDBOX/reference.txt"
    measure Dorvane "$SANDBOX_EXE" >>"$SANDBOX/dorvane.txt"
done
rt=$(column 1 "$SANDBOX/reference.txt" | median)
dt=$(column 1 "$SANDBOX/dorvane.txt" | median)
rm_=$(column 2 "$SANDBOX/reference.txt" | median | awk '{printf "%.1f", $1 / 1024}')
dm=$(column 2 "$SANDBOX/dorvane.txt" | median | awk '{printf "%.1f", $1 / 1024}')
echo "startup reference $rt dorvane $dt ratio $(ratio "$dt" "$rt")"
echo "memory reference $rm_ dorvane $dm ratio $(ratio "$dm" "$rm_")"
echo "reference runs (ms KiB): $(tr '\n' ' ' <"$SANDBOX/reference.txt")"
echo "dorvane runs (ms KiB): $(tr '\n' ' ' <"$SANDBOX/dorvane.txt")"
