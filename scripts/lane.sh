#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The release lane: runs the README's test command as root in a fresh
# minimal root of Debian 12 or 13 (scripts/freshroot.sh), with nothing
# installed but what that command installs. Usage: lane.sh 12|13.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/freshroot.sh
asRootFor "$0" "$@"

started=$SECONDS
makeRoot "$1"
echo "=== lane: root made in $((SECONDS - started)) s ==="
# LASER_LANE=1: the test command leaves out the benchmarks and clang-tidy
# over the asset generator (scripts/test.sh says why), which the run on this
# machine covers, to keep the lane within 12 minutes on two processors.
status=0
runInRoot scripts/test.sh CI="${CI:-}" LASER_LANE=1 || status=$?
echo "=== lane: Debian $1 ended with ${status} after $((SECONDS - started)) s ==="
exit "$status"
