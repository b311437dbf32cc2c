#!/usr/bin/env bash
# Prints the test code's share of the product code: non-blank lines of the tracked files under
# tests/ and fuzz/ (not the fuzz corpus) against those of the product's folders (bench/, the build
# scripts and the screenshot program tests/gui/poses/, which checks nothing, count for neither).
# The suite keeps it at or under 0.40.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
count() {
  git ls-files -co --exclude-standard -- "$@" | grep -v -e '/corpus/' -e '^tests/gui/poses/' | grep -Ev '\.(bmp|ico|png|svg)$' |
    while read -r f; do [ -f "$f" ] && grep -cv '^[[:space:]]*$' "$f" || true; done | paste -sd+ | bc
}
tests=$(count tests fuzz)
product=$(count engine platform framework settings shell process cli resources)
share=$(echo "scale=3; $tests / $product" | bc)
echo "tests $tests, product $product, share $share (limit 0.400)"
[ "$(echo "$share <= 0.400" | bc)" = 1 ]
