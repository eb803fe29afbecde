#!/usr/bin/env bash
# A whole solo game in a real window: starts dorvane under Xvfb, closes the download
# window with "Play Solo Game", clicks START GAME, plays two turns by clicking ROLL DICE,
# dice and ALL DONE, then switches Options > Just Watch on (bot speed Fast) and waits for
# "Game Over!". Saves screenshots of the board at the start, mid-game and at the end.
# Usage: tests/gui/solo_game.sh OUTDIR [DORVANE_EXE]
# Needs: Xvfb, xdotool, imagemagick (import). Exit code 0 when the game reached its end.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:?usage: solo_game.sh OUTDIR [DORVANE_EXE]}"
exe="${2:-$here/../../build/client/dorvane}"
limit="${SOLO_GAME_LIMIT:-1800}" # seconds the computer may take to finish the game
mkdir -p "$out"
"$here/../../scripts/deps" --extras
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "solo_game.sh: $tool is not installed" >&2; exit 1; }
done
# shellcheck source=sandbox.sh
source "$here/sandbox.sh"

game_pid=
finish() {
    local rc=$?
    if [ -n "$game_pid" ]; then
        kill "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    fi
    xvfb_stop
    sandbox_cleanup
    exit "$rc"
}
trap finish EXIT
trap "exit 1" INT TERM

log() { echo "$(date +%T) $*"; }
shot() { import -window root "$out/$1.png"; log "saved $out/$1.png"; }
# crop_sum X Y W H: a checksum of that part of the screen.
crop_sum() { import -window root -crop "$3x$4+$1+$2" +repage rgb:- | md5sum | cut -d' ' -f1; }
# The board's origin on the screen: the main window's position plus the menu bar.
board_xy() {
    local id geo
    for id in $(xdotool search --name '^Dorvane$'); do
        geo=$(xdotool getwindowgeometry "$id")
        case "$geo" in *"Geometry: 692x"*)
            bx=$(sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1/p' <<<"$geo")
            by=$(sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\2/p' <<<"$geo")
            main_x=$bx main_y=$by
            bx=$((bx + 5)) by=$((by + 19 + 3)) # the board sits at (5, 3) below the menu bar
            return 0 ;;
        esac
    done
    return 1
}
# click_board X Y: clicks at board coordinates, then moves the pointer off the window so
# that no hover highlight changes what later checks see.
click_board() { xdotool mousemove $((bx + $1)) $((by + $2)) click 1; sleep 0.3; xdotool mousemove 1000 750; }
# wait_for SECONDS COMMAND...: polls COMMAND every half second.
wait_for() {
    local until=$(( $(date +%s) + $1 )); shift
    until "$@"; do
        [ "$(date +%s)" -ge "$until" ] && return 1
        sleep 0.5
    done
}

xvfb_start 91
sandbox_init "$exe"
log "display $DISPLAY, private copy in $SANDBOX"
sandbox_spawn "$SANDBOX_EXE" >"$out/dorvane.log" 2>&1
game_pid=$SANDBOX_PID

wait_for 30 xdotool search --name '^Dorvane - Play Online$' >/dev/null || { log "no download window"; exit 1; }
wait_for 10 board_xy || { log "no main window"; exit 1; }
sleep 1
download=$(xdotool search --name '^Dorvane - Play Online$' | head -1)
xdotool mousemove --window "$download" 549 136 click 1 # "Play Solo Game"
xdotool mousemove 1000 750
sleep 1
if xdotool search --onlyvisible --name '^Dorvane - Play Online$' >/dev/null; then
    log "the download window is still open"; exit 1
fi

# START GAME and ROLL DICE as they look when shown: a turn of ours shows ROLL DICE, the end
# of the game shows START GAME again.
start_sum=$(crop_sum $((bx + 278)) $((by + 107)) 134 20)
shot 1-start
click_board 345 111 # START GAME
sleep 1.5
roll_sum=$(crop_sum $((bx + 214)) $((by + 89)) 128 36)
my_turn() { [ "$(crop_sum $((bx + 214)) $((by + 89)) 128 36)" = "$roll_sum" ]; }
game_over() { [ "$(crop_sum $((bx + 278)) $((by + 107)) 134 20)" = "$start_sum" ]; }
my_turn || { log "START GAME did not give us the first turn"; shot failed-start; exit 1; }

for turn in 1 2; do
    wait_for 120 my_turn || { log "our turn $turn never came"; shot failed-turn; exit 1; }
    log "our turn $turn: rolling"
    click_board 278 107 # ROLL DICE
    sleep 1.5
    for die in 1 2 3; do # keep the three leftmost dice
        click_board $((92 + (die - 1) * 56)) 37
    done
    click_board 278 107 # ROLL DICE: the seven dice not kept
    sleep 1.5
    [ "$turn" = 1 ] && shot 2-first-turn
    click_board 414 107 # ALL DONE
    sleep 1
done

# The computer plays our seat from here, at the fast bot speed.
xdotool mousemove $((main_x + 68)) $((main_y + 8)) click 1 # Options
sleep 0.5
xdotool mousemove $((main_x + 99)) $((main_y + 95)) # Bot Speed
sleep 0.7
xdotool mousemove $((main_x + 303)) $((main_y + 139)) click 1 # Fast
sleep 0.5
xdotool mousemove $((main_x + 68)) $((main_y + 8)) click 1 # Options
sleep 0.5
xdotool mousemove $((main_x + 100)) $((main_y + 231)) click 1 # Just Watch
xdotool mousemove 1000 750
log "Just Watch on; waiting for the end of the game"

started=$(date +%s)
mid_taken=0
while ! game_over; do
    now=$(date +%s)
    if [ $((now - started)) -ge "$limit" ]; then
        log "no Game Over after $limit s"; shot failed-timeout; exit 1
    fi
    if [ "$mid_taken" = 0 ] && [ $((now - started)) -ge "${SOLO_GAME_MID:-90}" ]; then
        shot 3-mid-game
        mid_taken=1
    fi
    sleep 2
done
sleep 1
[ "$mid_taken" = 1 ] || shot 3-mid-game
shot 4-game-over
log "game over after $(( $(date +%s) - started )) s of computer play"
