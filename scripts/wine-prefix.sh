#!/usr/bin/env bash
# Creates a private 32-bit Wine prefix at $1 once: fonts copied in, no window-manager wait,
# no crash dialog. Safe to call from parallel test runs. With $2, also puts a fresh copy of it
# there (whatever was there before is removed).
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
[ -f "$prefix/.brevix-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.brevix-ready" ] && exit 0
export WINEDEBUG=-all WINEARCH=win32 WINEPREFIX="$prefix"
( unset DISPLAY; wineboot -i ) >/dev/null 2>&1 || true
wineserver -w || true
mkdir -p "$prefix/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
reg="$(mktemp -d)"
printf '%s\r\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' >"$reg/t.reg"
( cd "$reg" && unset DISPLAY && wine reg import t.reg ) >/dev/null 2>&1 || true
wineserver -w || true
rm -rf "$reg"
# A prefix that Wine did not finish is not marked ready, so that the next call starts it again.
[ -f "$prefix/system.reg" ] || { echo "wine-prefix: Wine could not set up $prefix" >&2; exit 1; }
touch "$prefix/.brevix-ready"
