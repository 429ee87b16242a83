#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in the
# normal build and under AddressSanitizer with UndefinedBehaviorSanitizer.
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
exit "$status"
