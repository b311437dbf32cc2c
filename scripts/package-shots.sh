#!/usr/bin/env bash
# Screenshots of the installer's pages, the installed program with the sample open and its help
# window, at 96 and 144 dots per inch, in build/screenshots/<dpi>/. Run by scripts/screenshots.sh
# inside Xvfb, after the win32 packages are built.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$PWD"
setup=$(ls "$root"/build/win32/packages/Brevix-*-setup.exe)
export WINEDEBUG=-all WINEARCH=win32
# Saves the window whose title matches $1 as $2.png once it has shown.
shot() {
    local window
    window=$(timeout 60 xdotool search --sync --onlyvisible --name "$1") ||
        { echo "no window '$1' for $2" >&2; return 1; }
    window=${window%%$'\n'*}
    sleep 1.5
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$2.png"
    echo "$out/$2.png"
    xdotool windowfocus --sync "$window"
}
for dpi in 96 144; do
    out="$root/build/screenshots/$dpi"
    mkdir -p "$out"
    export WINEPREFIX="$root/build/package-shots-prefix"
    scripts/wine-prefix.sh "$root/build/gui-wineprefix" "$WINEPREFIX"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -w
    cp "$root/samples/user-guide.xml" "$WINEPREFIX/drive_c/user-guide.xml"
    wine "$setup" &
    for page in setup-1-welcome setup-2-license setup-3-install-mode setup-4-folder setup-5-finish; do
        shot '^Brevix [0-9.]* Setup$' "$page"
        sleep 0.5
        xdotool key Return   # Next, I Agree, Next, Install, then Finish (which starts Brevix)
    done
    shot '^Untitled - Brevix$' installed-main-window
    wineserver -k; wineserver -w
    dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/Brevix | head -1)
    wine "$dir/Brevix.exe" 'C:\user-guide.xml' &
    shot '^user-guide.xml - Brevix$' installed-sample
    xdotool key F1
    shot '^Brevix Help$' help-window
    wineserver -k; wineserver -w
done
