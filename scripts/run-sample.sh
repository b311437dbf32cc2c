#!/usr/bin/env bash
# Builds the native command-line front end and cuts the bundled sample into build/sample-out,
# printing the process log.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh native
cmake --preset native >/dev/null
cmake --build --preset native --target brevix-cli
out=build/sample-out
rm -rf "$out"
mkdir -p "$out"
build/native/cli/brevix-cli --no-profile -t topic -k title "$PWD/samples/user-guide.xml" "$PWD/$out"
echo
echo "Chunk files in $out:"
ls -1 "$out"
