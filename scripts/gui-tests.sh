#!/usr/bin/env bash
# Runs the GUI test program's cases one after another under Xvfb in a fresh private Wine
# prefix (copied from a prepared template), so that every run starts from a clean registry.
# A case is one or more program runs, named "case.step"; CASE runs all of its steps,
# CASE.STEP only that one.
#   scripts/gui-tests.sh build/win32/tests/gui/brevix-gui-tests.exe [CASE[.STEP]...]
set -euo pipefail
exe="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
shift
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# Everything below runs inside Xvfb, once.
if [ -z "${BREVIX_IN_XVFB:-}" ]; then
    export BREVIX_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$here/gui-tests.sh" "$exe" "$@"
fi
build="$(cd "$(dirname "$exe")" && pwd)"
# A template of its own: the engine tests' prefix may be in use (and changing) while this runs.
template="$here/../build/gui-wineprefix"
. "$here/wine-env.sh"
export WINEPREFIX="$build/gui-prefix"
"$here/wine-prefix.sh" "$template" "$WINEPREFIX"
logs="$build/gui-logs"
rm -rf "$logs"
mkdir -p "$logs"

wineserver -p
wine cmd /c exit >/dev/null 2>&1 || true
mapfile -t steps < <(wine "$exe" --list | tr -d '\r')
cases=("$@")
if [ ${#cases[@]} -eq 0 ]; then
    mapfile -t cases < <(printf '%s\n' "${steps[@]%%.*}" | uniq)
fi
failed=()
for name in "${cases[@]}"; do
    start=$(date +%s)
    ok=1
    ran=0
    : >"$logs/$name.log"
    for step in "${steps[@]}"; do
        [ "$step" = "$name" ] || [ "${step%%.*}" = "$name" ] || continue
        ran=$((ran + 1))
        wine "$exe" "$step" >>"$logs/$name.log" 2>&1 || ok=0
    done
    if [ $ok -eq 1 ] && [ $ran -gt 0 ]; then
        echo "PASS $name ($ran runs, $(( $(date +%s) - start )) s)"
    else
        [ $ran -gt 0 ] || echo "no case $name" >>"$logs/$name.log"
        echo "FAIL $name ($(( $(date +%s) - start )) s)"
        sed 's/^/    /' "$logs/$name.log"
        failed+=("$name")
    fi
done
wineserver -k || true
wineserver -w || true
if [ ${#failed[@]} -ne 0 ]; then
    echo "${#failed[@]} of ${#cases[@]} GUI cases failed: ${failed[*]}"
    exit 1
fi
echo "All ${#cases[@]} GUI cases passed."
