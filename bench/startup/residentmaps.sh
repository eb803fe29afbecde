#!/usr/bin/env bash
# Where the resident memory of a solo start lies: dorvane and the reference window, each
# started alone on a private Xvfb display, 3 s after its window is mapped; /proc/PID/smaps
# summed by mapped file ([heap], [anon], memfd:xorg = the windows' backing stores), then one
# line per file whose share differs by at least 24 KiB, largest difference first
# ([program] is the executable itself, with its compiled-in pictures and sounds).
# Usage: bench/startup/residentmaps.sh      (DORVANE_BUILD_DIR, DORVANE_EXE as for run.sh)
# Prints: "dorvane KIB reference KIB", then "DORVANE_KIB REFERENCE_KIB DIFFERENCE FILE" lines.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${DORVANE_BUILD_DIR:-$root/build}"
# shellcheck source=../../tests/gui/sandbox.sh
source "$root/tests/gui/sandbox.sh"
trap 'if [ -n "${SANDBOX_PID:-}" ]; then kill "$SANDBOX_PID" 2>/dev/null || true; fi; xvfb_stop; sandbox_cleanup' EXIT
xvfb_start 94
out=$(mktemp -d "${TMPDIR:-/tmp}/dorvane-maps.XXXXXX")

# by_file EXE TITLE OUT [ARGS...]: resident KiB per mapped file of EXE into OUT.
by_file() {
    local exe=$1 title=$2 file=$3
    shift 3
    sandbox_init "$exe"
    sandbox_spawn "$SANDBOX_EXE" "$@" >/dev/null 2>&1
    for _ in $(seq 400); do
        xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 && break
        sleep 0.05
    done
    sleep 3
    awk -v exe="$SANDBOX_EXE" '/^[0-9a-f]+-[0-9a-f]+ /{name = ($6 == "") ? "[anon]" : $6; if (name == exe) name = "[program]"}
         /^Rss:/{r[name] += $2} END{for (n in r) if (r[n] > 0) print r[n], n}' "/proc/$SANDBOX_PID/smaps" >"$file"
    kill "$SANDBOX_PID"
    wait "$SANDBOX_PID" 2>/dev/null || true
    SANDBOX_PID=
    sandbox_cleanup
}

by_file "${DORVANE_EXE:-$build/client/dorvane}" Dorvane "$out/dorvane.txt"
by_file "$build/bench/startup/bench-reference-window" bench-reference-window "$out/reference.txt" --stay
awk 'NR == FNR {d[$2] = $1; next} {r[$2] = $1} END {
        for (n in d) td += d[n]; for (n in r) tr += r[n]
        printf "dorvane %d KiB reference %d KiB\n", td, tr
        for (n in d) if (!(n in r)) r[n] = 0
        for (n in r) { x = d[n] + 0 - r[n]; if (x >= 24 || x <= -24) printf "%7d %7d %7d %s\n", d[n], r[n], x, n }
     }' "$out/dorvane.txt" "$out/reference.txt" >"$out/table.txt"
head -1 "$out/table.txt"
tail -n +2 "$out/table.txt" | sort -k3,3nr
rm -rf "$out"
