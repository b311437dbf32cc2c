#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
#   scripts/install-deps.sh          everything: native build, cross build, Wine and Xvfb, packaging
#   scripts/install-deps.sh native   only what the native build, its tests and its package need
set -euo pipefail
native=(cmake ninja-build g++ googletest libgtest-dev nlohmann-json3-dev dpkg-dev file lintian man-db unicode-data)
cross=(g++-mingw-w64-i686 wine wine32:i386 wine64 fonts-wine xvfb xauth imagemagick xdotool nsis fp-utils unzip librsvg2-bin icoutils)
wanted=("${native[@]}")
[ "${1:-all}" = native ] || wanted+=("${cross[@]}")

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
