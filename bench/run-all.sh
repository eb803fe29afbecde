#!/usr/bin/env bash
# Every benchmark beside its reference, in one run, and the table of bench/README.md.
# Usage: bench/run-all.sh [OUT.md]     (DORVANE_BUILD_DIR picks the build folder)
# Needs Xvfb, xdotool, imagemagick, gzip and lz4; root (or unshare) keeps the solo game's
# port 7772 private. Timing figures vary with the machine's load, printed at the top.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${DORVANE_BUILD_DIR:-$root/build}"
out="${1:-/dev/stdout}"
"$root/scripts/deps" --extras
cmake -S "$root" -B "$build" -G Ninja >/dev/null # picks up the XTEST library once installed
cmake --build "$build" --target dorvane dorvane-host dorvane-load bench-reference-window \
    bench-first-window bench-click-to-dice bench-engine bench-compress dorvane-lzrw1 >/dev/null
# shellcheck source=../tests/gui/sandbox.sh
source "$root/tests/gui/sandbox.sh"
reference="$build/bench/startup/bench-reference-window"
rows=()
row() { rows+=("| $1 | $2 | $3 | \`$4\` |"); }
log() { echo "$(date +%T) $*" >&2; }
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# --- start-up -----------------------------------------------------------------------
log "start-up"
startup_all=$("$root/bench/startup/run.sh" 15)
read -r _ _ s_ref _ s_dor _ s_ratio <<<"$(sed -n 1p <<<"$startup_all")"
read -r _ _ m_ref _ m_dor _ m_ratio <<<"$(sed -n 2p <<<"$startup_all")"
row "start to main window mapped, solo start (median of 15, alternating)" \
    "${s_dor} ms (**${s_ratio}x**; target 1.25x)" "reference window ${s_ref} ms" "bench/startup/run.sh 15"
row "resident memory of a solo start 3 s after the main window is mapped (main and download windows shown)" \
    "${m_dor} MiB (**${m_ratio}x**; target 1.15x)" "reference window ${m_ref} MiB" "bench/startup/run.sh 15"

# --- a solo game: memory, idle CPU, click-to-dice ------------------------------------
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# idle_percent PID SECONDS: CPU of PID over SECONDS in percent of one core.
idle_percent() {
    local a b hz
    hz=$(getconf CLK_TCK)
    a=$(cpu_ticks "$1"); sleep "$2"; b=$(cpu_ticks "$1")
    awk -v t=$((b - a)) -v hz="$hz" -v s="$2" 'BEGIN {printf "%.2f", 100 * t / hz / s}'
}
rss_mib() { awk '/^VmRSS:/ {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }
crop_sum() { import -window root -crop "$3x$4+$1+$2" +repage rgb:- | md5sum | cut -d' ' -f1; }
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; xdotool mousemove 1000 750; }

trap 'kill $game_pid $ref_pid 2>/dev/null || true; xvfb_stop; sandbox_cleanup' EXIT
trap 'exit 1' INT TERM
game_pid= ref_pid=
xvfb_start 94
sandbox_init "$build/client/dorvane"
sandbox_spawn "$SANDBOX_EXE" >/dev/null 2>&1
game_pid=$SANDBOX_PID
sandbox_spawn "$reference" --stay >/dev/null 2>&1
ref_pid=$SANDBOX_PID
sleep 4
download=$(xdotool search --name '^Dorvane - Play Online$' | head -1)
xdotool mousemove --window "$download" 549 136 click 1 # Play Solo Game
xdotool mousemove 1000 750
for id in $(xdotool search --name '^Dorvane$'); do
    geo=$(xdotool getwindowgeometry "$id")
    case "$geo" in *"Geometry: 692x"*)
        # the board sits at (5, 3) below the 19-pixel menu bar
        bx=$(( $(sed -n 's/.*Position: \([0-9]*\),.*/\1/p' <<<"$geo") + 5 ))
        by=$(( $(sed -n 's/.*Position: [0-9]*,\([0-9]*\).*/\1/p' <<<"$geo") + 22 )) ;;
    esac
done
sleep 2

log "idle before START GAME"
idle_percent "$ref_pid" 20 >"$SANDBOX/idle-ref.txt" &
idle_board=$(idle_percent "$game_pid" 20)
wait $!
idle_ref=$(cat "$SANDBOX/idle-ref.txt")
click $((bx + 345)) $((by + 111)) # START GAME: our turn, the dice shuffle until the first roll
sleep 2
roll_sum=$(crop_sum $((bx + 214)) $((by + 89)) 128 36)
log "idle on our turn, dice shuffling"
idle_shuffle=$(idle_percent "$game_pid" 20)
click $((bx + 278)) $((by + 107)) # ROLL DICE
sleep 2
log "idle on our turn after a roll"
idle_turn=$(idle_percent "$game_pid" 20)
rss_game=$(rss_mib "$game_pid")
rss_ref=$(rss_mib "$ref_pid")
row "resident memory of a solo game in play (hosting copy, after a roll)" "${rss_game} MiB" \
    "reference window ${rss_ref} MiB" "bench/run-all.sh (VmRSS from /proc)"
row "CPU of an idle game waiting for a click, 20 s (target < 0.5%)" \
    "${idle_board}% before START GAME; ${idle_turn}% on our turn after a roll; ${idle_shuffle}% while the dice shuffle before the first roll" \
    "reference window ${idle_ref}%" "bench/run-all.sh (utime+stime from /proc)"

log "click-to-dice"
samples=()
for turn in 1 2 3 4; do
    [ "$turn" = 1 ] || {
        click $((bx + 278)) $((by + 107)) # the first roll of the turn (the dice shuffle before it)
        sleep 1.5
    }
    for _ in 1 2; do # the second and third roll: still dice, so the first change is the new roll
        samples+=("$("$build/bench/startup/bench-click-to-dice" $((bx + 278)) $((by + 107)) \
            $((bx + 68)) $((by + 14)) 48 48)")
        sleep 1
    done
    click $((bx + 414)) $((by + 107)) # ALL DONE; the computer plays its turn
    until=$(( $(date +%s) + 60 ))
    until [ "$(crop_sum $((bx + 214)) $((by + 89)) 128 36)" = "$roll_sum" ] || [ "$(date +%s)" -gt "$until" ]; do
        sleep 0.5
    done
done
click_ms=$(printf '%s\n' "${samples[@]}" | grep -v timeout | sort -n | awk '{v[NR]=$1} END {printf "median %.1f ms, best %.1f, worst %.1f (%d clicks)", v[int((NR+1)/2)], v[1], v[NR], NR}')
kill "$game_pid" "$ref_pid" 2>/dev/null || true
xvfb_stop

host="$build/tools/host/dorvane-host"
"$host" 0 >"$SANDBOX/host.txt" 2>&1 &
host_pid=$!
sleep 0.5
port=$(awk '{print $NF; exit}' "$SANDBOX/host.txt")
wire=$("$build/tools/loadtest/dorvane-load" --port "$port" --roll-rtt 6 | sed 's/.*: //')
kill "$host_pid"
row "click-to-dice on loopback (XTEST click to changed die pixels)" "$click_ms" \
    "roll request to dice on the wire, no window: $wire" \
    "bench/run-all.sh; dorvane-load --roll-rtt 6"

# --- engine ---------------------------------------------------------------------------
log "engine"
engine=$("$build/bench/engine/bench-engine" 2>&1 | grep 'seats:')
games() { grep "^$1 seats" <<<"$engine" | sed 's/.*median \([0-9]*\) games.s.*, \([0-9.]* M\) messages.s.*/\1 games\/s (\2 messages\/s)/'; }
row "engine: whole computer games through the turn engine, one core" "4 seats $(games 4); 2 seats $(games 2)" \
    "the host's pacing: 100 messages/s" "build/bench/engine/bench-engine"

# --- compression ----------------------------------------------------------------------
log "compression"
comp=$(DORVANE_BUILD_DIR="$build" "$root/bench/compress/run.sh" 3)
speeds() { grep -F "$1" <<<"$comp" | head -1 | awk '{printf "%s / %s", $(NF-2), $(NF-1)}'; }
row "compression, 20 MiB of C headers, MB/s compress / decompress" \
    "LZRW1/KH in memory $(speeds 'LZRW1/KH, in memory'); dorvane-lzrw1 files $(speeds 'dorvane-lzrw1 (fast), files')" \
    "zlib level 1 in memory $(speeds 'zlib level 1, in memory'); gzip -1 files $(speeds 'gzip -1 / gzip -d, files')" \
    "bench/compress/run.sh 3"

{
    echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores, load average $load_before at the start, $(cut -d' ' -f1-3 /proc/loadavg) at the end."
    echo
    echo "| what | Dorvane | reference, same run | command |"
    echo "|---|---|---|---|"
    printf '%s\n' "${rows[@]}"
    echo
    echo '```'
    echo "$startup_all"
    echo
    echo "$engine"
    echo
    echo "$comp"
    echo '```'
} >"$out"
