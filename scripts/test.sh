#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, then builds and runs every test twice: in the
# normal build and under AddressSanitizer with UndefinedBehaviorSanitizer.
# clang-tidy checks the sources at a lower priority alongside, mostly while
# the tests wait on their timers and servers (the tests hold on a busy
# machine). Last, it builds the Debian package, checks it, and runs the
# installed game once before purging it again (scripts/package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
status=0
tidy=
for preset in default asan; do
    echo "=== ${preset} build ==="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    if [ "$preset" = default ]; then
        nice -n 10 scripts/tidy.sh build/default >build/default/tidy-report.txt 2>&1 &
        tidy=$!
    fi
    ctest --preset "$preset" || status=1
done
echo "=== clang-tidy ==="
wait "$tidy" || status=1
cat build/default/tidy-report.txt
echo "=== package ==="
scripts/package.sh || status=1
exit "$status"
