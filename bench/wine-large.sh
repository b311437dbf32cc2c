#!/usr/bin/env bash
# Cuts one large source of large chunks (the corpus kind "large": flat 5 MB topics) with the
# native brevix-cli and with the 32-bit brevix-cli.exe under Wine, checks that both give the
# same chunk files (names and bytes, as sorted lists of sha256 sums) and prints each run's wall
# time and peak memory. The corpus and both output folders are removed at the end, however the
# script ends: it needs twice LARGE_MB plus the corpus on disk while it runs.
#
#   bench/wine-large.sh                 5,000 MB: about 1,000 chunk files (about 5 minutes)
#   LARGE_MB=50 bench/wine-large.sh     a quick try
#
# Knobs (environment): LARGE_MB (default 5000), SEED (default 20261207), BENCH_DIR (default
# build/bench), BREVIX_WINEPREFIX (default build/wineprefix, as the tests).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
LARGE_MB=${LARGE_MB:-5000}
SEED=${SEED:-20261207}
work=${BENCH_DIR:-$root/build/bench}
cd "$root"

cmake --preset native >/dev/null
cmake --build --preset native --target brevix-cli brevix-corpus >/dev/null
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target brevix-cli >/dev/null
exe=$root/build/win32/cli/brevix-cli.exe
[ -f "$exe" ] || { echo "wine-large: no $exe" >&2; exit 1; }

run=$work/wine-large-$(date +%Y%m%d-%H%M%S)
mkdir -p "$run/native" "$run/wine"
trap 'rm -rf "$run"' EXIT
corpus=$run/large-$LARGE_MB.xml
echo "generating $corpus"
build/native/bench/brevix-corpus large "$LARGE_MB" "$SEED" "$corpus"
echo "source: $(stat -c %s "$corpus") bytes"

# A Windows path on drive Z: for a Linux path.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Runs a command under /usr/bin/time -v; prints its wall time and peak memory, fails with it.
timed() { # label command...
    local label=$1 rc=0
    shift
    /usr/bin/time -v -o "$run/time.txt" "$@" >"$run/$label.out" 2>&1 || rc=$?
    awk -v label="$label" -v rc="$rc" -F': ' '
        /Elapsed \(wall clock\)/ {wall = $2}
        /Maximum resident set size/ {peak = $2}
        END {printf "%-7s wall %s, peak %.1f MB, exit status %d\n", label, wall, peak / 1024, rc}' "$run/time.txt"
    if [ "$rc" -ne 0 ]; then
        cat "$run/$label.out" >&2
        return "$rc"
    fi
}

opts=(--no-profile -q -t topic -k title)
# Start Wine's server and make the prefix before the timed run, so that it times the cut alone.
scripts/wine-run.sh "$exe" --version >/dev/null
timed native build/native/cli/brevix-cli "${opts[@]}" "$corpus" "$run/native"
timed wine scripts/wine-run.sh "$exe" "${opts[@]}" "$(winpath "$corpus")" "$(winpath "$run/wine")"

# The same file names with the same bytes in both folders.
sums() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
sums "$run/native" >"$run/native.sha256"
sums "$run/wine" >"$run/wine.sha256"
files=$(wc -l <"$run/native.sha256")
if ! cmp -s "$run/native.sha256" "$run/wine.sha256"; then
    echo "DIFFERENT outputs ($files native chunk files, $(wc -l <"$run/wine.sha256") under Wine):" >&2
    diff "$run/native.sha256" "$run/wine.sha256" | head -20 >&2
    exit 1
fi
echo "same outputs: $files chunk files, $(du -sb "$run/native" | cut -f1) bytes, names and bytes alike"
