#!/usr/bin/env bash
# Starting and connecting in real windows under Xvfb against the real host (dorvane-host on
# the game port), all inside a private network namespace so port 7772 is ours:
#   1. another program holds 7772: a solo game still starts, its host on 127.0.0.1 only
#   2. a player named "-reverse" joins: the name is a name, the copy connects
#   3. a full game: the main window stays (the chat says why), no box; File > Exit ends
#      the program, the settings file is untouched
#   4. nothing listens: the copy is closed by File > Exit, the settings file is untouched
#   5. a damaged tally file: its report shows after and above the main and download windows;
#      File > Exit ends the program with the report open, and the next start runs
# Usage: tests/gui/startup.sh DORVANE_EXE DORVANE_HOST_EXE [OUTDIR]
#        STARTUP_STEPS="3 5" tests/gui/startup.sh ... runs only those steps
# Exit code 0 when every step held, 1 when one failed, 77 (skipped) when Xvfb, xdotool,
# xwininfo, ss or a private network namespace is not available.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exe="${1:?usage: startup.sh DORVANE_EXE DORVANE_HOST_EXE [OUTDIR]}"
host_exe="${2:?usage: startup.sh DORVANE_EXE DORVANE_HOST_EXE [OUTDIR]}"
skip() { echo "SKIPPED: $*"; exit 77; }
for tool in Xvfb xdotool xwininfo ss; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/deps --tests)"
done
if [ -z "${DORVANE_IN_NETNS:-}" ]; then
    { [ "$(id -u)" = 0 ] && unshare -n true 2>/dev/null; } || skip "no private network namespace (needs root and unshare)"
    exec env DORVANE_IN_NETNS=1 unshare -n sh -c 'ip link set lo up && exec "$@"' sh bash "$0" "$exe" "$host_exe" "${3:-}"
fi
out="${3:-}"
if [ -z "$out" ]; then # pictures and logs kept only when asked for
    out=$(mktemp -d "${TMPDIR:-/tmp}/dorvane-startup.XXXXXX")
    DORVANE_STARTUP_OUT_TEMP="$out"
fi
mkdir -p "$out"
# shellcheck source=sandbox.sh
source "$here/sandbox.sh"

pids=()
finish() {
    local rc=$?
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    xvfb_stop
    sandbox_cleanup
    if [ "$rc" = 0 ] && [ "${DORVANE_STARTUP_OUT_TEMP:-}" = "$out" ]; then rm -rf "$out"; fi
    [ "$rc" = 0 ] || echo "pictures and logs: $out"
    exit "$rc"
}
trap finish EXIT
trap "exit 1" INT TERM

log() { echo "$(date +%T) $*"; }
fail() { log "FAIL: $*"; shot "failed"; exit 1; }
shot() { if command -v import >/dev/null; then import -window root "$out/$1.png" || true; fi; }
wait_for() { # wait_for SECONDS COMMAND...
    local until=$(( $(date +%s) + $1 )); shift
    until "$@"; do [ "$(date +%s)" -ge "$until" ] && return 1; sleep 0.2; done
}
# Visible top-level windows titled exactly "Dorvane", bottom to top: the main window and boxes.
game_windows() { visible_in_stacking_order '^Dorvane$'; }
visible_in_stacking_order() {
    local visible id
    visible=" $(xdotool search --onlyvisible --name "$1" 2>/dev/null | tr '\n' ' ') "
    # xwininfo lists the children of the root window top first.
    for id in $(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p' | tac); do
        case "$visible" in *" $((id)) "*) echo "$((id))" ;; esac
    done
}
# The main window: 692 x 563, the 692 x 544 client area below the menu.
main_window() {
    local id
    for id in $(game_windows); do
        case "$(xdotool getwindowgeometry "$id")" in *"Geometry: 692x563"*) echo "$id"; return 0 ;; esac
    done
    return 1
}
count_game_windows() { [ "$(game_windows | wc -l)" -eq "$1" ]; }
running() { kill -0 "$1" 2>/dev/null; }
ended() { ! running "$1"; }
# File > Exit on the main window.
exit_by_menu() {
    local id x y
    id=$(main_window) || fail "no main window to close"
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool mousemove $((X + 14)) $((Y + 9)) click 1
    sleep 0.5
    xdotool key Up Return
}
start_copy() { # start_copy ARGS...: a copy of the game from the sandbox; sets game
    XDG_RUNTIME_DIR="$SANDBOX/run" "$SANDBOX_EXE" "$@" >>"$out/dorvane.log" 2>&1 &
    game=$!
    pids+=("$game")
}
host=
start_host() {
    if [ -n "$host" ] && running "$host"; then return 0; fi
    "$host_exe" 7772 >"$out/host.log" 2>&1 &
    host=$!
    pids+=("$host")
    wait_for 10 grep -q "listening on port 7772" "$out/host.log" || fail "dorvane-host did not listen"
}
stop() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }
stop_host() { if [ -n "$host" ]; then stop "$host"; host=; fi; }
ini="vornlobby.ini"
stored=$'; shared with other programs\r\n[Other]\nTop=1\n[Dorvane]\nTextsize=14\nTextcolor=clNavy\nBotspeed=500\nPlaysounds=false\n'
write_ini() { printf '%s' "$stored" >"$SANDBOX/$ini"; printf '%s' "$stored" >"$out/$ini.expected"; }
ini_untouched() { cmp -s "$SANDBOX/$ini" "$out/$ini.expected"; }

xvfb_start 93
export QT_QPA_PLATFORM=xcb # real windows, whatever platform the test run chose for the others
sandbox_init "$exe"
log "display $DISPLAY, private copy in $SANDBOX, pictures in $out"

step1() {
    log "1. a solo game while another program holds port 7772"
    start_host
    start_copy
    wait_for 20 main_window >/dev/null || fail "no main window"
    wait_for 10 xdotool search --onlyvisible --name '^Dorvane - Play Online$' >/dev/null || fail "no download window"
    listen=$(ss -Hltnp | grep "pid=$game," | awk '{print $4}' || true)
    case "$listen" in 127.0.0.1:[0-9]*) ;; *) fail "the solo host does not listen on 127.0.0.1 only: $listen" ;; esac
    port=${listen#127.0.0.1:}
    [ "$port" != 7772 ] || fail "the solo host took port 7772"
    wait_for 10 sh -c "ss -Htnp state established '( dport = :$port )' | grep -q 'pid=$game,'" || fail "the own client did not connect"
    sleep 1
    count_game_windows 1 || fail "a box opened at a solo start: $(game_windows)"
    shot "1-solo-main-window"
    log "   host on 127.0.0.1:$port, own client connected, no error box"
    exit_by_menu
    wait_for 10 ended "$game" || fail "File > Exit did not end the program"
}

step2() {
    log "2. a player named -reverse joins the game"
    start_host
    start_copy -reverse 127.0.0.1 false
    wait_for 20 main_window >/dev/null || fail "no main window"
    wait_for 10 sh -c "ss -Htnp state established '( dport = :7772 )' | grep -q 'pid=$game,'" \
        || fail "the copy did not join: its parameters were taken for the toolkit's"
    log "   joined the host on 7772"
    if command -v import >/dev/null; then import -window "$(main_window)" "$out/2-main-window.png" || true; fi
    exit_by_menu
    wait_for 10 ended "$game" || fail "File > Exit did not end the program"
}

step3() {
    log "3. a full game"
    start_host
    fillers=()
    for _ in 1 2 3 4 5 6 7 8 9; do
        exec {fd}<>/dev/tcp/127.0.0.1/7772
        fillers+=("$fd")
    done
    sleep 0.5
    write_ini
    start_copy Ann 127.0.0.1 false
    wait_for 20 main_window >/dev/null || fail "no main window"
    # The copy inherits the fillers' descriptors, so the host's side is counted: only the nine
    # fillers stay connected once the full host has hung up on the copy.
    wait_for 10 sh -c "[ \$(ss -Htn state established '( sport = :7772 )' | wc -l) = 9 ]" \
        || fail "the full host did not hang up"
    sleep 1
    running "$game" || fail "the program ended"
    count_game_windows 1 || fail "a box opened: $(game_windows)"
    shot "3-game-full"
    log "   the main window stays, no box; File > Exit"
    exit_by_menu
    wait_for 10 ended "$game" || fail "File > Exit did not end the program"
    ini_untouched || fail "the settings file changed: $(cat "$SANDBOX/$ini")"
    for fd in "${fillers[@]}"; do exec {fd}>&-; done
    log "   ended, settings file byte-identical"
}

step4() {
    log "4. nothing listens on the host's port"
    stop_host
    write_ini
    start_copy Ann 127.0.0.1 false
    wait_for 20 main_window >/dev/null || fail "no main window"
    sleep 1
    count_game_windows 1 || fail "a box opened: $(game_windows)"
    exit_by_menu
    wait_for 10 ended "$game" || fail "File > Exit did not end the program"
    ini_untouched || fail "the settings file changed: $(cat "$SANDBOX/$ini")"
    log "   closed, settings file byte-identical"
}

step5() {
    log "5. a damaged tally file"
    head -c 300 /dev/urandom >"$SANDBOX/Dorvanetally.tld"
    start_copy
    wait_for 20 count_game_windows 2 || fail "no report beside the main window: $(game_windows)"
    wait_for 10 xdotool search --onlyvisible --name '^Dorvane - Play Online$' >/dev/null || fail "no download window"
    sleep 1
    order=$(visible_in_stacking_order '^Dorvane( - Play Online)?$' | tr '\n' ' ')
    main=$(main_window) || fail "no main window"
    report=$(game_windows | grep -v "^$main\$" | tail -1)
    download=$(xdotool search --onlyvisible --name '^Dorvane - Play Online$' | head -1)
    [ "$(visible_in_stacking_order '^Dorvane( - Play Online)?$' | tail -1)" = "$report" ] \
        || fail "the report is not on top (bottom to top: $order; main $main, download $download, report $report)"
    shot "5-damaged-tally"
    log "   report on top of main and download windows; File > Exit with the report open"
    exit_by_menu
    wait_for 10 ended "$game" || fail "the program stayed alive behind its report"
    running "$XVFB_PID" || fail "Xvfb ended"
    start_copy
    wait_for 20 main_window >/dev/null || fail "the next start did not run (single-instance lock kept?)"
    log "   the next start runs"
    exit_by_menu
    wait_for 10 ended "$game" || fail "File > Exit did not end the program"
}

for n in ${STARTUP_STEPS:-1 2 3 4 5}; do "step$n"; done
log "all steps held"
