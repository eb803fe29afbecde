#!/usr/bin/env bash
# First-sound latency: from the game's play() call to the sound server's new playback
# stream, the first sound of a fresh process (the sound module opened by it) and the later
# ones, against a private PulseAudio server with a null sink (started here, stopped at the
# end; as root it runs with its own HOME and runtime folder). N fresh processes, medians.
# Then the cost of play() when there is nowhere to play (no server, no device).
# Usage: bench/firstsound/run.sh [N]     (DORVANE_BUILD_DIR picks the build folder)
# Prints: "first call_ms MEDIAN stream_ms MEDIAN", "later call_ms MEDIAN stream_ms MEDIAN",
#         the single runs, and "no output: call_ms FIRST later MEDIAN".
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${DORVANE_BUILD_DIR:-$root/build}"
n="${1:-7}"
if ! command -v pulseaudio >/dev/null; then "$root/scripts/deps" --extras; fi
bench="$build/bench/firstsound/bench-first-sound"
watch="$build/bench/firstsound/bench-sound-watch"
for exe in "$bench" "$watch"; do
    [ -x "$exe" ] || { echo "missing $exe: scripts/deps --extras, then cmake --build $build --target $(basename "$exe")" >&2; exit 1; }
done

d=$(mktemp -d "${TMPDIR:-/tmp}/dorvane-sound.XXXXXX")
server=
trap 'if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi; rm -rf "$d"' EXIT
mkdir -m 700 "$d/run" "$d/empty"
HOME=$d PULSE_RUNTIME_PATH=$d/run XDG_RUNTIME_DIR=$d/run pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --disallow-exit --use-pid-file=no --log-target=file:"$d/server.log" \
    -L "module-native-protocol-unix socket=$d/native auth-anonymous=1" \
    -L "module-null-sink sink_name=null" -L "module-always-sink" &
server=$!
for _ in $(seq 100); do
    [ -S "$d/native" ] && break
    sleep 0.05
done
[ -S "$d/native" ] || { echo "the sound server did not start:" >&2; cat "$d/server.log" >&2; exit 1; }

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
: >"$d/runs.txt"
for _ in $(seq "$n"); do
    PULSE_SERVER=unix:$d/native XDG_RUNTIME_DIR=$d/empty "$bench" "$watch" 5 | tee -a "$d/runs.txt" >/dev/null
done
for which in first later; do
    call=$(awk -v w="$which" '$1 == w {print $3}' "$d/runs.txt" | median)
    stream=$(awk -v w="$which" '$1 == w && $5 >= 0 {print $5}' "$d/runs.txt" | median)
    echo "$which call_ms $call stream_ms $stream"
done
echo "runs:"
cat "$d/runs.txt"

# Nowhere to play: no server named, an empty runtime folder (a machine with an ALSA or OSS
# device would still have somewhere to play).
env -u PULSE_SERVER -u PULSE_RUNTIME_PATH XDG_RUNTIME_DIR="$d/empty" "$bench" --no-output 20 2>/dev/null ||
    true
