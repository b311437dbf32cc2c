#!/usr/bin/env bash
# Screenshots of the installer's pages, the installed program with the sample open and its help
# window, at 96 and 144 dots per inch, in build/screenshots/<dpi>/. Run by scripts/screenshots.sh
# inside Xvfb, after the win32 packages are built.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$PWD"
setup=$(ls "$root"/build/win32/packages/Brevix-*-setup.exe)
. "$root/scripts/wine-env.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The installer's title; its install mode page adds a space to it.
setup_title='^Brevix [0-9.]* Setup *$'

# Captures the first visible window whose title matches $1 into $2 (PPM); fails while there is none.
capture() {
    local window
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null) || return 1
    window=${window%%$'\n'*}
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root "$scratch/screen.ppm"
    convert "$scratch/screen.ppm" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
    xdotool windowfocus "$window" 2>/dev/null || true
}
# How many pixels differ between two captures (a large number when their sizes differ).
differ() {
    local n
    n=$(compare -metric AE "$1" "$2" null: 2>&1) || true
    [[ $n =~ ^[0-9]+$ ]] || n=999999
    echo "$n"
}
# Saves the window whose title matches $1 as $2.png once it shows something else than the last
# shot and has stopped changing (a blinking caret aside).
shot() {
    touch "$scratch/last.ppm" "$scratch/before.ppm"
    for _ in $(seq 1 200); do
        if capture "$1" "$scratch/now.ppm" && [ "$(differ "$scratch/now.ppm" "$scratch/last.ppm")" -gt 100 ] &&
            [ "$(differ "$scratch/now.ppm" "$scratch/before.ppm")" -lt 40 ]; then
            convert "$scratch/now.ppm" "$out/$2.png"
            cp "$scratch/now.ppm" "$scratch/last.ppm"
            echo "$out/$2.png"
            return 0
        fi
        [ -f "$scratch/now.ppm" ] && mv "$scratch/now.ppm" "$scratch/before.ppm"
        sleep 0.3
    done
    echo "no window '$1' for $2, or it never settled" >&2
    return 1
}
# True when the capture $1 shows the installer's finish page: its left side is a dark blue
# picture (the progress page there is light grey).
finish_page() {
    [ "$(convert "$1" -format '%[fx:int(255*p{w*0.05,h*0.6}.intensity)]' info:)" -lt 100 ]
}
# Presses Install and saves the progress page as it was last seen before the finish page
# replaced it (setup-5-progress.png; it may go by too fast to be seen at all).
progress() {
    rm -f "$scratch/progress.ppm"
    xdotool key Return
    for _ in $(seq 1 200); do
        if capture "$setup_title" "$scratch/now.ppm"; then
            finish_page "$scratch/now.ppm" && break
            [ "$(differ "$scratch/now.ppm" "$scratch/last.ppm")" -gt 100 ] && cp "$scratch/now.ppm" "$scratch/progress.ppm"
        fi
        sleep 0.1
    done
    if [ -f "$scratch/progress.ppm" ]; then
        convert "$scratch/progress.ppm" "$out/setup-5-progress.png"
        echo "$out/setup-5-progress.png"
    else
        echo "the progress page went by unseen" >&2
    fi
}

for dpi in 96 144; do
    out="$root/build/screenshots/$dpi"
    mkdir -p "$out"
    rm -f "$out"/setup-*.png
    export WINEPREFIX="$root/build/package-shots-prefix"
    scripts/wine-prefix.sh "$root/build/gui-wineprefix" "$WINEPREFIX"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -w
    cp "$root/samples/user-guide.xml" "$WINEPREFIX/drive_c/user-guide.xml"
    rm -f "$scratch/last.ppm"
    wine "$setup" >/dev/null 2>&1 &
    shot "$setup_title" setup-1-welcome
    xdotool key Return                      # Next
    shot "$setup_title" setup-2-license
    xdotool key Return                      # I Agree
    shot "$setup_title" setup-3-install-mode
    xdotool key Return                      # Next, for the current user only
    shot "$setup_title" setup-4-components
    xdotool key Return                      # Next, with "Add brevix-cli to my PATH" ticked
    shot "$setup_title" setup-4-folder
    progress                                # Install
    shot "$setup_title" setup-6-finish
    xdotool key Return                      # Finish, with "Start Brevix" ticked
    shot '^Untitled - Brevix$' installed-main-window
    wineserver -k || true
    wineserver -w || true
    dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/Brevix)
    rm -f "$scratch/last.ppm"
    wine "$dir/Brevix.exe" 'C:\user-guide.xml' >/dev/null 2>&1 &
    shot '^user-guide.xml - Brevix$' installed-sample
    xdotool key F1
    shot '^Brevix Help$' help-window
    wineserver -k || true
    wineserver -w || true
done
