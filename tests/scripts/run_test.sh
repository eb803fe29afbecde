#!/usr/bin/env bash
# scripts/run builds only the game (the program and the modules it loads) and starts it with
# the player's parameters: no tests, benchmarks or tools on the way, no other program started.
# cmake and the game are stand-ins that record how they were called.
# Usage: tests/scripts/run_test.sh   (exit 0 when every check held)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d "${TMPDIR:-/tmp}/dorvane-runscript.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/bin" "$work/build/client" "$work/build/tools/host"
cat >"$work/bin/cmake" <<'STUB'
#!/usr/bin/env bash
printf '%s\n' "$*" >>"$RECORD/cmake"
STUB
for program in client/dorvane tools/host/dorvane-host; do
    printf '#!/usr/bin/env bash\nprintf "%%s|" "$0" "$@" >>"$RECORD/started"\n' >"$work/build/$program"
done
chmod +x "$work/bin/cmake" "$work/build/client/dorvane" "$work/build/tools/host/dorvane-host"

failed=0
check() { # description, command...
    local what="$1"; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}

RECORD="$work" DORVANE_BUILD_DIR="$work/build" PATH="$work/bin:$PATH" \
    "$root/scripts/run" Ann 192.0.2.7 false >"$work/out" 2>&1 || { cat "$work/out"; exit 1; }

build_line=$(grep -- '--build' "$work/cmake" || true)
echo "cmake was asked: $(tr '\n' ';' <"$work/cmake")"
check "one build step" test "$(grep -c -- '--build' "$work/cmake")" = 1
check "the build names the game as its only target" \
    bash -c '[[ "$1" =~ --target\ dorvane($|\ ) ]] && [ "$(grep -o -- --target <<<"$1" | wc -l)" = 1 ]' _ "$build_line"
check "the game starts with the player's parameters" \
    test "$(cat "$work/started")" = "$work/build/client/dorvane|Ann|192.0.2.7|false|"

# Without a built game the script fails instead of starting something else in its place.
rm "$work/build/client/dorvane" "$work/started"
check "no other program stands in for a missing game" \
    bash -c '! RECORD="$1" DORVANE_BUILD_DIR="$1/build" PATH="$1/bin:$PATH" "$2/scripts/run" >/dev/null 2>&1 && [ ! -e "$1/started" ]' \
    _ "$work" "$root"
exit $failed
