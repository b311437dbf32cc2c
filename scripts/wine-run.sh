#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own private prefix (made on first use), so
# that tests never touch ~/.wine and start no first-run dialog. Used by CTest as the emulator.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh"
export WINEPREFIX="${BREVIX_WINEPREFIX:-$here/../build/wineprefix}"
"$here/wine-prefix.sh" "$WINEPREFIX"
exec wine "$@"
