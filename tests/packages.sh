#!/usr/bin/env bash
# The packages as a user meets them. Native build: the .deb's files, dependencies, lintian and the
# manual page. Windows build: the zip's files, then under Xvfb in a private Wine prefix the silent
# installer, the installed programs, an upgrade over it and the silent uninstaller.
#   tests/packages.sh BUILD_DIR
set -euo pipefail
export LC_ALL=C
build="$(cd "$1" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
fail() { echo "FAIL: $*" >&2; exit 1; }
same() { [ "$1" = "$2" ] || fail "$3: expected [$2], got [$1]"; }
[ -n "${BREVIX_IN_XVFB:-}" ] || cmake --build "$build" --target package >/dev/null

deb="$build/packages/brevix-cli_${version}_$(dpkg --print-architecture).deb"
if [ -f "$deb" ]; then
    same "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort | tr '\n' ' ')" \
        "./usr/bin/brevix-cli ./usr/share/bash-completion/completions/brevix-cli ./usr/share/doc/brevix-cli/changelog.gz ./usr/share/doc/brevix-cli/copyright ./usr/share/man/man1/brevix-cli.1.gz " "deb files"
    grep -Eq '^ Depends: .*libc6 \(>= [0-9.]+\)' <<<"$(dpkg-deb --info "$deb")" || fail "no libc6 dependency"
    lintian --fail-on error "$deb" || fail "lintian"
    scratch=$(mktemp -d) && trap 'rm -rf "$scratch"' EXIT && dpkg-deb -x "$deb" "$scratch"
    man=$scratch/usr/share/man/man1/brevix-cli.1.gz
    grep -q 'brevix-cli - ' <<<"$(lexgrog "$man")" || fail "lexgrog finds no NAME"
    same "$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man" 2>&1 >/dev/null)" "" "man --warnings"
    # Every option and setting of --help is an item of the manual page.
    page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$man" 2>/dev/null | sed 's/^ *//')
    while read -r term; do
        awk -v t="$term" 'index($0, t " ") == 1 || $0 == t {found = 1} END {exit !found}' <<<"$page" ||
            fail "--help item missing in the manual page: $term"
    done < <("$scratch/usr/bin/brevix-cli" --help | cut -c1-25 | sed -n 's/^  *\([-a-z_].*[^ ]\) *$/\1/p')
    # The completion, as bash loads it: its hook, and a flag's values after "-s overwrite=".
    completion=$(source "$scratch/usr/share/bash-completion/completions/brevix-cli" && complete -p brevix-cli &&
        COMP_WORDS=("$scratch/usr/bin/brevix-cli" -s overwrite = "") COMP_CWORD=4 && _brevix_cli "${COMP_WORDS[0]}" &&
        echo "${COMPREPLY[*]}")
    same "$completion" $'complete -F _brevix_cli brevix-cli\nyes no' "bash completion"
    echo "deb: $(stat -c %s "$deb") bytes, files, dependencies, lintian, manual page and completion as intended"
    exit 0
fi

zip="$build/packages/Brevix-$version-win32.zip"
setup="$build/packages/Brevix-$version-setup.exe"
files="Brevix.chm Brevix.exe LICENSE.txt README.txt brevix-cli.exe"
if [ -z "${BREVIX_IN_XVFB:-}" ]; then
    same "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" "Brevix-$version/ $(printf "Brevix-$version/%s " $files)" "zip files"
    ! grep -qv $'\r$' <<<"$(unzip -p "$zip" "Brevix-$version/README.txt")" || fail "README.txt has a line without CR LF"
    # The program's, its document type's and brevix-cli's icons: every size in 32-bit colour.
    unpacked=$(mktemp -d) && trap 'rm -rf "$unpacked"' EXIT && unzip -q -d "$unpacked" "$zip"
    for icon in Brevix.exe:128 Brevix.exe:129 brevix-cli.exe:1; do
        wrestool -x -t14 -n "${icon#*:}" "$unpacked/Brevix-$version/${icon%:*}" >"$unpacked/icon.ico"
        same "$(icotool -l "$unpacked/icon.ico" | sed -n 's/.*--width=\([0-9]*\) .*--bit-depth=32.*/\1/p' | tr '\n' ' ')" "16 20 24 32 40 48 64 256 " "icon $icon"
    done
    echo "zip: $(stat -c %s "$zip") bytes, setup: $(stat -c %s "$setup") bytes"
    export BREVIX_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build"
fi

. "$root/scripts/wine-env.sh"
export WINEPREFIX="$build/package-prefix"
"$root/scripts/wine-prefix.sh" "$root/build/gui-wineprefix" "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true' EXIT
app_data="$WINEPREFIX/drive_c/users/$(id -un)/AppData"
dir="$WINEPREFIX/drive_c/My Apps/Brevix"
menu="$app_data/Roaming/Microsoft/Windows/Start Menu/Programs"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brevix'
query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }
user_path() { query 'HKCU\Environment' /v Path | sed -n 's/^ *Path *REG_[A-Z_]* *//p'; }
# Waits for the installed program's window titled $1.
program_window() { local w; w=$(timeout 60 xdotool search --sync --onlyvisible --name "$1" || true); [ -n "$w" ] || fail "the installed program showed no window titled $1"; echo "${w%%$'\n'*}"; }

# Installed silently into a folder of the user's choice (a name with a blank), with the PATH entry.
# (through cmd, as a user types it: /D= takes the rest of the line, blanks and all, unquoted)
wine cmd /c "$(winepath -w "$setup") /S /D=C:\My Apps\Brevix"
wineserver -w
same "$(cd "$dir" && ls | sort | tr '\n' ' ')" "$(printf "%s\n" $files Uninstall.exe | sort | tr "\n" " ")" "installed files"
[ -f "$menu/Brevix.lnk" ] && [ -f "$menu/Brevix Command Prompt.lnk" ] || fail "Start-menu shortcuts: $(ls "$menu")"
same "$(user_path)" 'C:\My Apps\Brevix' "the user's PATH"
entry=$(query "$key")
for value in DisplayName DisplayVersion Publisher DisplayIcon InstallLocation EstimatedSize UninstallString QuietUninstallString; do
    grep -q "^    $value " <<<"$entry" || fail "uninstall entry without $value"; done
grep -q 'Publisher    REG_SZ    Vellacor$' <<<"$entry" || fail "publisher: $entry"
grep -q "DisplayVersion    REG_SZ    $version\$" <<<"$entry" || fail "version: $entry"

# The installed program opens the sample in its window, F1 opens the help file, and its file type
# is the user's own: nothing machine-wide.
cp "$root/samples/user-guide.xml" "$WINEPREFIX/drive_c/user-guide.xml"
wine "$dir/Brevix.exe" 'C:\user-guide.xml' &
main=$(program_window '^user-guide.xml - Brevix$')
xdotool windowfocus --sync "$main" key F1
timeout 30 xdotool search --sync --onlyvisible --name '^Brevix Help$' >/dev/null || fail "F1 opened no help window"
wineserver -k; wineserver -w
grep -q 'Brevix Document' <<<"$(query 'HKCU\Software\Classes\Brevix.Document')" || fail "the program wrote no shell entries"
! query 'HKLM\Software\Classes\Brevix.Document' >/dev/null || fail "shell entries written machine-wide"

# The installed brevix-cli.exe runs on its own and cuts the sample.
mkdir -p "$WINEPREFIX/drive_c/cuts"
wine "$dir/brevix-cli.exe" --no-profile 'C:\user-guide.xml' 'C:\cuts' >/dev/null || fail "the installed brevix-cli failed"
[ -f "$WINEPREFIX/drive_c/cuts/Introduction.xml" ] || fail "no chunk files: $(ls "$WINEPREFIX/drive_c/cuts")"

# An upgrade (the same setup again) keeps the folder and the user's settings.
wine reg add 'HKCU\Software\Vellacor\Brevix\Settings' /v ext /d htm /f >/dev/null 2>&1
wine "$setup" /S
wineserver -w
grep -q 'REG_SZ    htm$' <<<"$(query 'HKCU\Software\Vellacor\Brevix\Settings' /v ext)" || fail "upgrade lost the settings"
[ -f "$dir/Brevix.exe" ] && same "$(user_path)" 'C:\My Apps\Brevix' "the PATH after the upgrade"

# A silent uninstall while the program runs fails and removes nothing.
wine "$dir/Brevix.exe" &
program_window '^Untitled - Brevix$' >/dev/null
# (from a batch file, which waits for it and passes on its exit status; _?= unquoted keeps it
# from handing over to a copy of itself and returning at once)
printf '%s\r\n' '@"C:\My Apps\Brevix\Uninstall.exe" /S _?=C:\My Apps\Brevix' '@exit /b %errorlevel%' \
    >"$WINEPREFIX/drive_c/uninstall.bat"
status=0
wine cmd /c 'C:\uninstall.bat' || status=$?
[ $status -ne 0 ] || fail "the uninstaller ended with status 0 while Brevix ran"
[ -f "$dir/Brevix.exe" ] && [ -f "$menu/Brevix.lnk" ] && query "$key" >/dev/null || fail "an uninstall while Brevix ran removed files"
wineserver -k; wineserver -w

# The uninstaller leaves nothing of ours: no file, no shortcut, no PATH entry, no key.
wine "$dir/Uninstall.exe" /S
wineserver -w
[ ! -e "$dir" ] || fail "left behind: $(ls -A "$dir")"
[ -z "$(ls "$menu" | grep -i brevix)" ] || fail "shortcuts left: $(ls "$menu")"
same "$(user_path)" "" "the user's PATH after the uninstall"
for left in "$key" 'HKCU\Software\Vellacor\Brevix' 'HKCU\Software\Classes\Brevix.Document'; do
    ! query "$left" >/dev/null || fail "left in the registry: $left"
done
! query 'HKCU\Software\Classes\.xml\OpenWithProgids' /v Brevix.Document >/dev/null || fail "the Open-with entry is left"
ours=$(find "$WINEPREFIX/drive_c" -iname '*brevix*' ! -path '*/cuts/*')
[ -z "$ours" ] || fail "files left: $ours"
echo "installer, installed programs, upgrade and uninstaller as intended"
