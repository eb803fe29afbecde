#!/usr/bin/env bash
# Table-server load: tables of four players at a player's pace (dorvane-load tables) against a
# real dorvane-server, then the same against one dorvane-host process per table, and the
# figures as a Markdown table on standard output (each run's full report on standard error).
# Usage: bench/tableserver/run.sh [RUN...]     (DORVANE_BUILD_DIR picks the build folder)
#   RUN: 1000 | 4500 | 4900 | steps (2500, 3500, 4500, 4900: the largest one process holds) |
#        shards10000 (three shard processes) | churn (100,000 tables opened and abandoned) |
#        hosts1000 (1,000 dorvane-host processes) |
#        rate (4,500 tables with players two and four times as fast; the pause between turns
#        stays, so the request rate grows by about a quarter and a half);
#        default: all but 4500 (in steps) and rate, in that order.
# PLAY_SECONDS (60) and IDLE_SECONDS (30) set the measured play and the idle window; BENCH_NICE
# (e.g. -10, as root) runs the servers, hosts and load processes at that niceness, so that on a
# machine busy with other work the figures show the server rather than the wait for a core.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${DORVANE_BUILD_DIR:-$root/build}"
server="$build/tools/server/dorvane-server"
host="$build/tools/host/dorvane-host"
load="$build/tools/loadtest/dorvane-load"
play="${PLAY_SECONDS:-60}"
idle="${IDLE_SECONDS:-30}"
runs=("$@")
runner=()
[ -z "${BENCH_NICE:-}" ] || runner=(nice -n "$BENCH_NICE")
[ ${#runs[@]} -gt 0 ] || runs=(1000 steps shards10000 churn hosts1000)
for program in "$server" "$host" "$load"; do
    [ -x "$program" ] || { echo "missing $program: build dorvane-server dorvane-host dorvane-load" >&2; exit 1; }
done
work="$(mktemp -d)"
pids=()
stop_all() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    pids=()
}
trap 'stop_all; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
ulimit -n "$(ulimit -Hn)" # the load processes and the servers each want the whole allowance
log() { echo "$(date -u +%T) $*" >&2; }
rows=()

# start_server NAME ARGS...: starts a server on its own log; sets server_pid and server_port.
start_server() {
    local name="$1"
    shift
    "${runner[@]}" "$server" "$@" >"$work/$name.out" 2>"$work/$name.log" &
    server_pid=$!
    pids+=("$server_pid")
    for _ in $(seq 100); do
        grep -q 'listening on port' "$work/$name.out" 2>/dev/null && break
        sleep 0.1
    done
    server_port=$(awk '/listening on port/ {print $NF; exit}' "$work/$name.out")
    [ -n "$server_port" ] || { echo "dorvane-server did not start: $(cat "$work/$name.log")" >&2; exit 1; }
}

# measure LABEL ARGS...: one load run; its report goes to standard error, its summary to the table.
measure() {
    local label="$1" out
    shift
    log "$label: dorvane-load tables $*"
    out=$("${runner[@]}" "$load" tables "$@" --seconds "$play" --idle-seconds "$idle" 2>&1) || true
    echo "$out" >&2
    local summary
    summary=$(grep '^summary |' <<<"$out" | sed 's/^summary //')
    [ -n "$summary" ] || summary="| (no figures: see the report) | | | | | | | | | | | | |"
    rows+=("| $label $summary")
    last_p99=$(awk -F'|' '/^summary/ {gsub(/ /, "", $6); print $6}' <<<"$out")
}

# one_server TABLES [LOAD ARGS...]
one_server() {
    local tables="$1"
    shift
    start_server "server$tables" --port 0 --address 127.0.0.1
    measure "one server${1:+ $*}" --server "127.0.0.1:$server_port" --pid "$server_pid" --tables "$tables" "$@"
    stop_all
}

for run in "${runs[@]}"; do
    case "$run" in
    1000 | 4500 | 4900) one_server "$run" ;;
    steps)
        for tables in 2500 3500 4500 4900; do
            one_server "$tables"
            log "p99 at $tables tables: $last_p99 ms"
        done ;;
    rate)
        for pace in 500 250; do one_server 4500 --pace-ms "$pace"; done ;;
    shards10000)
        : >"$work/shards"
        for port in 47801 47802 47803; do echo "127.0.0.1:$port" >>"$work/shards"; done
        shard_pids=()
        for shard in 0 1 2; do
            start_server "shard$shard" --port $((47801 + shard)) --address 127.0.0.1 --shard "$shard" \
                --shards "$work/shards"
            shard_pids+=("$server_pid")
        done
        measure "three shards" --shards "$work/shards" --pid "$(IFS=,; echo "${shard_pids[*]}")" --tables 10000
        stop_all ;;
    churn)
        start_server churn --port 0 --address 127.0.0.1
        log "churn: dorvane-load tables --churn 100000"
        "${runner[@]}" "$load" tables --server "127.0.0.1:$server_port" --pid "$server_pid" --churn 100000 --open-at-once 64 \
            >"$work/churn.txt" 2>&1 || true
        cat "$work/churn.txt" >&2
        churn_line=$(grep '^server memory' "$work/churn.txt" || true)
        stop_all ;;
    hosts1000)
        log "starting 1,000 dorvane-host processes"
        : >"$work/hosts"
        mkdir -p "$work/h"
        for i in $(seq 1000); do
            "${runner[@]}" "$host" 0 >"$work/h/$i" 2>&1 &
            pids+=($!)
            echo "$! $i" >>"$work/hostpids"
        done
        while read -r pid i; do
            for _ in $(seq 300); do
                grep -q 'listening' "$work/h/$i" 2>/dev/null && break
                sleep 0.1
            done
            echo "$pid 127.0.0.1:$(awk '/listening/ {print $NF; exit}' "$work/h/$i")" >>"$work/hosts"
        done <"$work/hostpids"
        measure "1,000 dorvane-host" --hosts "$work/hosts"
        stop_all ;;
    *) echo "unknown run $run" >&2; exit 2 ;;
    esac
done

echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end;"
echo "$play s of play and $idle s idle per run; the load program runs beside the servers${BENCH_NICE:+, all at niceness $BENCH_NICE}."
echo
echo "| run | tables | connections | server processes | median ms | p99 ms | max ms | requests/s | errors | KiB per table | % of a core per 1,000 requests/s | idle CPU % of a core | loopback drops / TCP retransmissions in play | load average |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
[ -z "${churn_line:-}" ] || { echo; echo "Churn of 100,000 tables: $churn_line"; }
