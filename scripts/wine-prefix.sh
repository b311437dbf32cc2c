#!/usr/bin/env bash
# Creates a private 32-bit Wine prefix at $1 once: fonts copied in, no window-manager wait,
# no crash dialog, and nothing outside it: Wine's menu builder is off (no menus, .desktop files,
# icons or MIME types in the user's home) and the shell folders (Desktop, Documents, ...) are
# folders of the prefix instead of links into the home folder. Safe to call from parallel test
# runs. With $2, also puts a fresh copy of it there (whatever was there before is removed).
# Scripts that run Wine source scripts/wine-env.sh first.
#   scripts/wine-prefix.sh PREFIX [COPY]
set -euo pipefail
prefix="$1"
copy="${2:-}"
if [ -n "$copy" ]; then
    "$0" "$prefix"
    rm -rf "$copy"
    cp -a "$prefix" "$copy"
    exit 0
fi
# The mark names what this script makes of a prefix; a prefix made by an earlier one is made again.
mark="$prefix/.brevix-ready-2"
[ -f "$mark" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$mark" ] && exit 0
rm -rf "$prefix"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
export WINEPREFIX="$prefix"
# Wine links the shell folders to the home folder it is given: here an empty one of its own.
scratch_home="$(mktemp -d)"
( unset DISPLAY; HOME="$scratch_home" XDG_CONFIG_HOME="$scratch_home/.config" wineboot -i ) >/dev/null 2>&1 || true
wineserver -w || true
for link in "$prefix"/drive_c/users/*/* "$prefix"/drive_c/users/*/AppData/*/*; do
    if [ -L "$link" ]; then
        rm -f "$link"
        mkdir -p "$link"
    fi
done
rm -rf "$scratch_home"
mkdir -p "$prefix/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
reg="$(mktemp -d)"
printf '%s\r\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
    '[HKEY_CURRENT_USER\Software\Wine\DllOverrides]' '"winemenubuilder.exe"=""' '' >"$reg/t.reg"
( cd "$reg" && unset DISPLAY && wine reg import t.reg ) >/dev/null 2>&1 || true
wineserver -w || true
rm -rf "$reg"
# A prefix that Wine did not finish is not marked ready, so that the next call starts it again.
[ -f "$prefix/system.reg" ] || { echo "wine-prefix: Wine could not set up $prefix" >&2; exit 1; }
touch "$mark"
