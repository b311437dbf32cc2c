#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: natively, natively with the
# sanitizers, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
jobs=$(nproc)
# The tests stay in the build tree and their own temporary folders: they run with an empty home
# folder of their own, which must still be empty at the end.
home="$(mktemp -d)"
export HOME="$home"

# Warnings are errors here (BREVIX_WERROR), in the native and the Windows build.
echo "== native"
cmake --preset native -DBREVIX_WERROR=ON >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== native with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs"

echo "== win32 (under Wine)"
cmake --preset win32 -DBREVIX_WERROR=ON >/dev/null
cmake --build --preset win32 -j "$jobs"
ctest --preset win32

left=$(cd "$home" && find . -mindepth 1 | head -20)
[ -z "$left" ] || { echo "The tests wrote into the home folder: $left" >&2; exit 1; }
rmdir "$home"
