# Sourced by the window scripts and benchmarks: runs a copy of a program in a private
# folder, so its settings (written beside the executable) and its single-instance lock
# stay out of the build tree and away from any other running copy.
#
#   sandbox_init EXE     copies EXE into a fresh folder; sets SANDBOX and SANDBOX_EXE
#   sandbox_run CMD...   runs CMD with the private lock folder, in its own network
#                        namespace when the machine allows it (a private port 7772)
#   sandbox_spawn CMD... the same in the background; SANDBOX_PID is CMD's own pid
#   sandbox_cleanup      removes the folder

sandbox_init() {
    SANDBOX=$(mktemp -d "${TMPDIR:-/tmp}/dorvane-sandbox.XXXXXX")
    mkdir -p "$SANDBOX/run"
    chmod 700 "$SANDBOX/run"
    cp "$1" "$SANDBOX/"
    SANDBOX_EXE="$SANDBOX/$(basename "$1")"
    if [ "$(id -u)" = 0 ] && unshare -n true 2>/dev/null; then
        SANDBOX_NETNS=1
    else
        SANDBOX_NETNS=0
    fi
}

sandbox_run() {
    if [ "$SANDBOX_NETNS" = 1 ]; then
        XDG_RUNTIME_DIR="$SANDBOX/run" unshare -n sh -c 'ip link set lo up && exec "$@"' sh "$@"
    else
        XDG_RUNTIME_DIR="$SANDBOX/run" "$@"
    fi
}

sandbox_spawn() {
    if [ "$SANDBOX_NETNS" = 1 ]; then
        XDG_RUNTIME_DIR="$SANDBOX/run" unshare -n sh -c 'ip link set lo up && exec "$@"' sh "$@" &
    else
        XDG_RUNTIME_DIR="$SANDBOX/run" "$@" &
    fi
    SANDBOX_PID=$!
}

sandbox_cleanup() {
    if [ -n "${SANDBOX:-}" ]; then rm -rf "$SANDBOX"; fi
    SANDBOX=
}

# Starts Xvfb on a free display number; sets DISPLAY and XVFB_PID. -noreset: the server
# stays up between programs (a reset while the next one connects would refuse it).
xvfb_start() {
    local n=${1:-91}
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    return 1
}

xvfb_stop() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    XVFB_PID=
}
