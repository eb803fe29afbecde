#!/usr/bin/env bash
# Compression speed on a ~20 MB text corpus (the first 20 MiB of the sorted system C
# headers): LZRW1/KH next to gzip -1 and lz4 -1, measured in the same run.
# Usage: bench/compress/run.sh [repeats]     (DORVANE_BUILD_DIR picks the build folder)
# MB/s counts 10^6 bytes of uncompressed data per second; each figure is the best of
# the repeats. "files" rows run one process per operation, file to file, all alike.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${DORVANE_BUILD_DIR:-$root/build}"
repeats="${1:-5}"

for tool in gzip lz4; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is not installed" >&2; exit 1; }
done
log="$(mktemp)"
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$log" 2>&1 || { cat "$log"; exit 1; }
fi
cmake --build "$build" --target bench-compress dorvane-lzrw1 >"$log" 2>&1 || { cat "$log"; exit 1; }
rm -f "$log"
bench="$build/bench/compress/bench-compress"
lzrw1="$build/tools/lzrw1/dorvane-lzrw1"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
corpus="$work/corpus.h"
find /usr/include -name '*.h' -print0 | sort -z | xargs -0 cat 2>/dev/null | head -c 20971520 > "$corpus" || true
size=$(stat -c %s "$corpus")

# best_seconds CMD...: the shortest wall time of $repeats runs of CMD.
best_seconds() {
  local best="" start end t
  for _ in $(seq "$repeats"); do
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    t=$(( end - start ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  awk -v ns="$best" 'BEGIN { printf "%.6f", ns / 1e9 }'
}
mbps() { awk -v n="$size" -v s="$1" 'BEGIN { printf "%.1f", n / s / 1e6 }'; }
ratio() { awk -v n="$size" -v p="$1" 'BEGIN { printf "%.2f", 100 * p / n }'; }

rows=()
add_row() { rows+=("$(printf '%-34s %12s %12s %9s%%' "$1" "$2" "$3" "$4")"); }

# Our coder in memory and through Tlzrw1, from the C++ timing program.
while IFS=$'\t' read -r name c d r; do
  case "$name" in
    lzrw1kh-memory) add_row "LZRW1/KH, in memory" "$c" "$d" "$r" ;;
    lzrw1kh-file)   add_row "LZRW1/KH, Tlzrw1 files (in process)" "$c" "$d" "$r" ;;
  esac
done < <("$bench" "$corpus" "$repeats")

# One process per operation, file to file, the same way for every tool.
run_files() { # label compress-cmd decompress-cmd packed-file
  local label="$1" ccmd="$2" dcmd="$3" packed="$4" cs ds
  cs=$(best_seconds bash -c "$ccmd")
  ds=$(best_seconds bash -c "$dcmd")
  cmp -s "$corpus" "$work/restored" || { echo "run.sh: $label did not restore the corpus" >&2; exit 1; }
  add_row "$label" "$(mbps "$cs")" "$(mbps "$ds")" "$(ratio "$(stat -c %s "$packed")")"
}
run_files "dorvane-lzrw1 (fast), files" \
  "'$lzrw1' compress '$corpus' '$work/c.wrzl' >/dev/null" \
  "'$lzrw1' decompress '$work/c.wrzl' '$work/restored' >/dev/null" "$work/c.wrzl"
run_files "gzip -1 / gzip -d, files" \
  "gzip -1 -c '$corpus' > '$work/c.gz'" "gzip -d -c '$work/c.gz' > '$work/restored'" "$work/c.gz"
run_files "lz4 -1 / lz4 -d, files" \
  "lz4 -1 -q -f '$corpus' '$work/c.lz4'" "lz4 -d -q -f '$work/c.lz4' '$work/restored'" "$work/c.lz4"

# In-memory figures of the other two: lz4's own benchmark, and zlib level 1 via Python.
lz4line=$(lz4 -b1 -i"$repeats" "$corpus" 2>&1 | tr '\r' '\n' | grep 'MB/s ,' | tail -1 || true)
if [ -n "$lz4line" ]; then
  read -r lc ld lp < <(echo "$lz4line" | sed -E 's/.*-> *([0-9]+) \(.*\), *([0-9.]+) MB\/s *, *([0-9.]+) MB\/s.*/\2 \3 \1/')
  add_row "lz4 -1, in memory (lz4 -b1)" "$lc" "$ld" "$(ratio "$lp")"
fi
if command -v python3 >/dev/null; then
  read -r zc zd zp < <(python3 - "$corpus" "$repeats" <<'PY'
import sys, time, zlib
data = open(sys.argv[1], 'rb').read()
best_c = best_d = 1e9
for _ in range(int(sys.argv[2])):
    t0 = time.perf_counter(); packed = zlib.compress(data, 1)
    t1 = time.perf_counter(); zlib.decompress(packed)
    t2 = time.perf_counter()
    best_c, best_d = min(best_c, t1 - t0), min(best_d, t2 - t1)
print(f"{len(data) / best_c / 1e6:.1f} {len(data) / best_d / 1e6:.1f} {len(packed)}")
PY
)
  add_row "zlib level 1, in memory (Python)" "$zc" "$zd" "$(ratio "$zp")"
fi

echo "corpus: $size bytes of /usr/include/**/*.h, best of $repeats runs, $(nproc) CPUs"
printf '%-34s %12s %12s %10s\n' "method" "compress" "decompress" "size"
printf '%-34s %12s %12s %10s\n' "" "MB/s" "MB/s" "of input"
printf '%s\n' "${rows[@]}"
