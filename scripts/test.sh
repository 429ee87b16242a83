#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in the
# normal build and under AddressSanitizer with UndefinedBehaviorSanitizer.
# Last, it builds the Debian package, checks it, and runs the installed game
# once before purging it again (scripts/package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
status=0
for preset in default asan; do
    echo "=== ${preset} build ==="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset" || status=1
done
echo "=== package ==="
scripts/package.sh || status=1
exit "$status"
