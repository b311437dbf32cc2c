#!/usr/bin/env bash
# Saves PNG screenshots of the Windows program with the bundled sample open, under Xvfb in a
# scratch Wine prefix: the main window, the open File menu, print preview and the About box,
# in build/screenshots/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$PWD"
if [ -z "${BREVIX_IN_XVFB:-}" ]; then
    scripts/install-deps.sh
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 --target brevix-gui-tests
    export BREVIX_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

export WINEDEBUG=-all WINEARCH=win32
template="$root/build/gui-wineprefix"
scripts/wine-prefix.sh "$template"
export WINEPREFIX="$root/build/shots-prefix"
rm -rf "$WINEPREFIX"
cp -a "$template" "$WINEPREFIX"
out="$root/build/screenshots"
rm -rf "$out"
mkdir -p "$out"
shots="$WINEPREFIX/drive_c/shots"

wineserver -p
wine cmd /c exit >/dev/null 2>&1 || true
export BREVIX_SAMPLE="Z:${root//\//\\}\\samples\\user-guide.xml"
wine "$root/build/win32/tests/gui/brevix-gui-tests.exe" shots >"$out/run.log" 2>&1 &
program=$!
for pose in main-window file-menu print-preview about-box; do
    for _ in $(seq 1 300); do
        [ -f "$shots/$pose.ready" ] && break
        sleep 0.1
    done
    if [ ! -f "$shots/$pose.ready" ]; then
        echo "the program did not reach $pose" >&2
        cat "$out/run.log" >&2
        wineserver -k || true
        exit 1
    fi
    import -window root -crop "$(cat "$shots/$pose.ready")" +repage "$out/$pose.png"
    echo "$out/$pose.png"
    touch "$shots/$pose.done"
done
wait "$program" || { cat "$out/run.log" >&2; wineserver -k || true; exit 1; }
wineserver -k || true
wineserver -w || true
