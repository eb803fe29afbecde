#!/usr/bin/env bash
# Start-up to the first window shown: dorvane's main window against a minimal Qt Widgets
# program, both started the same way on one private Xvfb display, alternating, N times each.
# bench-first-window reports the moment the X server maps the window.
# Usage: bench/startup/run.sh [N]     (DORVANE_BUILD_DIR picks the build folder)
# Prints: "startup minimal MEDIAN_MS dorvane MEDIAN_MS ratio R" and the single runs.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${DORVANE_BUILD_DIR:-$root/build}"
n="${1:-15}"
# shellcheck source=../../tests/gui/sandbox.sh
source "$root/tests/gui/sandbox.sh"
first="$build/bench/startup/bench-first-window"
minimal="$build/bench/startup/bench-minimal-window"
trap 'xvfb_stop; sandbox_cleanup' EXIT
xvfb_start 93
sandbox_init "$build/client/dorvane"

# measure TITLE EXE: milliseconds until the window titled TITLE is mapped.
measure() {
    "$first" --title "$1" -- env XDG_RUNTIME_DIR="$SANDBOX/run" \
        unshare -n sh -c 'ip link set lo up && exec "$0"' "$2" 2>/dev/null | awk '{print $1}'
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

measure bench-minimal-window "$minimal" >/dev/null # warm the file cache for both
measure Dorvane "$SANDBOX_EXE" >/dev/null
: >"$SANDBOX/minimal.txt"
: >"$SANDBOX/dorvane.txt"
for _ in $(seq "$n"); do
    measure bench-minimal-window "$minimal" >>"$SANDBOX/minimal.txt"
    measure Dorvane "$SANDBOX_EXE" >>"$SANDBOX/dorvane.txt"
done
m=$(median <"$SANDBOX/minimal.txt")
d=$(median <"$SANDBOX/dorvane.txt")
echo "startup minimal $m dorvane $d ratio $(awk -v m="$m" -v d="$d" 'BEGIN {printf "%.2f", d / m}')"
echo "minimal runs (ms): $(tr '\n' ' ' <"$SANDBOX/minimal.txt")"
echo "dorvane runs (ms): $(tr '\n' ' ' <"$SANDBOX/dorvane.txt")"
