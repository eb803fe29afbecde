#!/usr/bin/env bash
# A solo turn played by keys alone in a real window under Xvfb, against the game's own
# in-process host: Return on the download window ("Play Solo Game"), then on the board
# Ctrl+N (START GAME), Ctrl+R (ROLL DICE), Alt+1 Alt+2 Alt+3 (keep the three leftmost dice),
# Ctrl+R (Roll Again), Ctrl+D (ALL DONE). The program runs under strace, so the bytes the
# client hands to its host are read back and checked: the first roll asks for all ten dice,
# the second for the seven not kept, ALL DONE offers dice 1, 2 and 3. The board must show
# ROLL DICE after Ctrl+N and the seat's result after Ctrl+D (the host judged the turn).
# Usage: tests/gui/keys_turn.sh DORVANE_EXE [OUTDIR]
# Exit code 0 when the turn went as above, 1 when not, 77 (skipped) when Xvfb, xdotool,
# imagemagick (import) or strace is missing, or strace may not trace here.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exe="${1:?usage: keys_turn.sh DORVANE_EXE [OUTDIR]}"
skip() { echo "SKIPPED: $*"; exit 77; }
for tool in Xvfb xdotool import strace; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/deps --tests)"
done
strace -f -qq -e trace=none true 2>/dev/null || skip "strace may not trace processes here"
out="${2:-}"
if [ -z "$out" ]; then # pictures and logs kept only when asked for
    out=$(mktemp -d "${TMPDIR:-/tmp}/dorvane-keys.XXXXXX")
    DORVANE_KEYS_OUT_TEMP="$out"
fi
mkdir -p "$out"
# shellcheck source=sandbox.sh
source "$here/sandbox.sh"

game_pid=
finish() {
    local rc=$?
    if [ -n "$game_pid" ]; then
        # strace lets its program run on when it ends: the program goes first.
        for p in $(ps -o pid= --ppid "$game_pid" 2>/dev/null); do kill "$p" 2>/dev/null || true; done
        kill "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    fi
    xvfb_stop
    sandbox_cleanup
    if [ "$rc" = 0 ] && [ "${DORVANE_KEYS_OUT_TEMP:-}" = "$out" ]; then rm -rf "$out"; fi
    [ "$rc" = 0 ] || echo "pictures and logs: $out"
    exit "$rc"
}
trap finish EXIT
trap "exit 1" INT TERM

log() { echo "$(date +%T) $*"; }
shot() { import -window root "$out/$1.png" || true; }
fail() { log "FAIL: $*"; shot failed; exit 1; }
wait_for() { # wait_for SECONDS COMMAND...
    local until=$(( $(date +%s) + $1 )); shift
    until "$@"; do [ "$(date +%s)" -ge "$until" ] && return 1; sleep 0.2; done
}
# crop_sum X Y W H: a checksum of that part of the screen.
crop_sum() { import -window root -crop "$3x$4+$1+$2" +repage rgb:- | md5sum | cut -d' ' -f1; }
# The main window and the board's origin on the screen (at (5, 3) below the menu bar).
main_window() {
    local id geo
    for id in $(xdotool search --onlyvisible --name '^Dorvane$' 2>/dev/null); do
        geo=$(xdotool getwindowgeometry "$id")
        case "$geo" in *"Geometry: 692x"*)
            main=$id
            bx=$(sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1/p' <<<"$geo")
            by=$(sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\2/p' <<<"$geo")
            bx=$((bx + 5)) by=$((by + 19 + 3))
            return 0 ;;
        esac
    done
    return 1
}
# press KEY...: the keys, one after the other, to the main window holding the input focus.
press() {
    local k
    for k in "$@"; do
        xdotool windowfocus --sync "$main" key --clearmodifiers "$k"
        log "   key $k"
        sleep 0.4
    done
}
# What the client wrote to its host so far: the socket it sent its log-in on carries the
# client's requests (the host writes to its own end of the connection).
client_said() {
    local fd
    fd=$(grep -aoE 'sendto\([0-9]+, "CMD_logininfo' "$out/strace.log" | head -1 | sed 's/[^0-9]//g')
    [ -n "$fd" ] || return 0
    grep -a "sendto($fd, \"CMD_" "$out/strace.log" | grep -aoE '"CMD_[^"\\]*' | cut -c2- || true
}
requests() { client_said | grep -E '^CMD_(startgame|rollthedice|alldone)\+' || true; }
count() { [ "$(requests | grep -c "^CMD_$1+" || true)" -ge "$2" ]; }
differs() { [ "$(crop_sum "$@")" != "$before" ]; }

xvfb_start 95
export QT_QPA_PLATFORM=xcb # a real window, whatever platform the test run chose for the others
sandbox_init "$exe"
log "display $DISPLAY, private copy in $SANDBOX, pictures in $out"
sandbox_spawn strace -f -qq -e trace=write,sendto -e signal=none -s 400 -o "$out/strace.log" \
    "$SANDBOX_EXE" >"$out/dorvane.log" 2>&1
game_pid=$SANDBOX_PID

wait_for 40 main_window || fail "no main window"
if wait_for 20 xdotool search --onlyvisible --name '^Dorvane - Play Online$' >/dev/null; then
    download=$(xdotool search --onlyvisible --name '^Dorvane - Play Online$' | head -1)
    sleep 1
    xdotool windowfocus --sync "$download" key Return # "Play Solo Game", the default button
    log "   key Return on the download window"
    wait_for 10 sh -c "! xdotool search --onlyvisible --name '^Dorvane - Play Online\$' >/dev/null" \
        || fail "Return did not close the download window"
fi
sleep 1
shot 1-start

# ROLL DICE at (214, 89) 128 x 36 on the board; seat 1's result beside its name at (134, 158).
before=$(crop_sum $((bx + 214)) $((by + 89)) 128 36)
press ctrl+n
wait_for 10 count startgame 1 || fail "Ctrl+N sent no start"
wait_for 10 differs $((bx + 214)) $((by + 89)) 128 36 || fail "no ROLL DICE after Ctrl+N"
sleep 1.5 # the shuffle runs until the first roll
shot 2-our-turn
press ctrl+r
wait_for 10 count rollthedice 1 || fail "Ctrl+R sent no roll"
sleep 1.5
press alt+1 alt+2 alt+3
shot 3-three-kept
press ctrl+r
wait_for 10 count rollthedice 2 || fail "the second Ctrl+R sent no roll"
sleep 1.5
before=$(crop_sum $((bx + 134)) $((by + 158)) 28 18)
press ctrl+d
wait_for 10 count alldone 1 || fail "Ctrl+D sent no ALL DONE"
wait_for 10 differs $((bx + 134)) $((by + 158)) 28 18 || fail "the host did not judge the turn"
shot 4-all-done

log "what the host received:"
client_said | sed 's/^/   /'
mapfile -t sent < <(requests)
expected=("CMD_startgame+You+0+0+f+" "CMD_rollthedice+1+1+2+3+4+5+6+7+8+9+10"
          "CMD_rollthedice+1+4+5+6+7+8+9+10" "CMD_alldone+1+1+2+3")
[ "${#sent[@]}" = "${#expected[@]}" ] || fail "${#sent[@]} requests instead of ${#expected[@]}"
for i in "${!expected[@]}"; do
    [ "${sent[$i]}" = "${expected[$i]}" ] || fail "request $((i + 1)) is ${sent[$i]}, not ${expected[$i]}"
done
log "the host's answer: $(grep -aoE '"CMD_(scores|noscore)\+[^"\\]*' "$out/strace.log" | tail -1 | cut -c2-)"
log "the turn was played by keys alone"
