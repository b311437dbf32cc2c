#!/usr/bin/env bash
# Saves PNG screenshots of the Windows program with the bundled sample open, under Xvfb in a
# scratch Wine prefix: the main window, the open File menu, print preview, the About box, the
# output folder picker, the Process Log after a run and the Settings dialog, in build/screenshots/
# at 96 dots per inch and again at 144 in build/screenshots/144/; then the installer's pages, the
# installed program and its help window at both (scripts/package-shots.sh).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$PWD"
if [ -z "${BREVIX_IN_XVFB:-}" ]; then
    scripts/install-deps.sh
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 --target brevix-poses package
    export BREVIX_IN_XVFB=1
    # 1280 x 800 at 150 %: at 144 dpi the Settings dialog alone is 819 pixels tall.
    exec xvfb-run -a -s "-screen 0 1920x1200x24" "$root/scripts/screenshots.sh" "$@"
fi

. "$root/scripts/wine-env.sh"
template="$root/build/gui-wineprefix"
export WINEPREFIX="$root/build/shots-prefix"
scripts/wine-prefix.sh "$template" "$WINEPREFIX"
out="$root/build/screenshots"
rm -rf "$out"
mkdir -p "$out"
shots="$WINEPREFIX/drive_c/shots"

read -r screen_width screen_height <<<"$(xdotool getdisplaygeometry)"
wineserver -p
wine cmd /c exit >/dev/null 2>&1 || true
# Runs the posing program and saves each pose it reaches: shoot LOG POSE...
shoot() {
    local log="$1"
    shift
    wine "$root/build/win32/tests/gui/poses/brevix-poses.exe" shots >"$log" 2>&1 &
    local program=$!
    for pose in "$@"; do
        for _ in $(seq 1 300); do
            [ -f "$shots/$pose.ready" ] && break
            sleep 0.1
        done
        if [ ! -f "$shots/$pose.ready" ]; then
            echo "the program did not reach $pose" >&2
            cat "$log" >&2
            wineserver -k || true
            exit 1
        fi
        # A window that runs past the screen would be cut in the picture too.
        IFS='x+' read -r width height left top <<<"$(cat "$shots/$pose.ready")"
        if ((left < 0 || top < 0 || left + width > screen_width || top + height > screen_height)); then
            echo "$pose: the window ($(cat "$shots/$pose.ready")) runs past the screen" >&2
            wineserver -k || true
            exit 1
        fi
        # Whole screen first: import's own -crop once gave the whole screen while a menu was open.
        import -window root "$out/screen.ppm"
        convert "$out/screen.ppm" -crop "${width}x${height}+${left}+${top}" +repage "$out/$pose.png"
        rm -f "$out/screen.ppm"
        echo "$out/$pose.png"
        touch "$shots/$pose.done"
    done
    wait "$program" || { cat "$log" >&2; wineserver -k || true; exit 1; }
}
shoot "$out/run.log" main-window file-menu print-preview about-box folder-picker process-log settings \
    narrow-window too-large help-topic
wineserver -k || true
wineserver -w || true
# The same poses at 144 dots per inch.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -w || true
out="$root/build/screenshots/144"
mkdir -p "$out"
# The posing program's folders start fresh, as in a new prefix.
rm -rf "$shots" "$WINEPREFIX/drive_c/brevix-gui-tests"
shoot "$out/run.log" main-window file-menu print-preview about-box folder-picker process-log settings \
    narrow-window too-large help-topic
wineserver -k || true
wineserver -w || true
scripts/package-shots.sh
