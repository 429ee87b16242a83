#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, then builds and runs every test in the default
# build (hardened as the package is) and again, all but the asset generator's,
# under AddressSanitizer with UndefinedBehaviorSanitizer; checks the sources with clang-tidy; and makes
# the Debian package from the default build, checks it, runs the installed
# game once and purges it again (scripts/package.sh).
#
# The tests mostly wait on timers and servers, each on an X server, sound
# server and bus of its own, so they run side by side, and the sanitizer build
# and clang-tidy use the processors meanwhile at a lower priority.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test
jobs=$(($(nproc) * 2))
status=0
phase() {
    echo "=== $1 ($(date +%T)) ==="
}

# The release lane (scripts/lane.sh) sets LASER_LANE=1 to leave out what the
# run on the lane's own machine has covered and only costs time on the other
# release: the benchmarks, which this command only compiles and checks, and
# clang-tidy over the asset generator, which only developers run. The
# program and its tests are still checked.
configure=()
tidyFolders=()
if [ "${LASER_LANE:-0}" = 1 ]; then
    configure=(-DLASER_BUILD_BENCHMARKS=OFF)
    tidyFolders=(app assets common console result sound tests)
fi
cmake --preset default "${configure[@]}" >/dev/null
# The second configuration waits on one processor at most; the build uses both.
cmake --preset asan "${configure[@]}" >build/asan-configure.log 2>&1 &
asanConfigure=$!
phase "default build"
cmake --build --preset default
wait "$asanConfigure" || { cat build/asan-configure.log; exit 1; }

pids=()
stopBackground() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
}
trap stopBackground EXIT

# clang-tidy reads the sanitizer build's commands (clang's own flags, and no
# fortified inline functions to match, about a tenth cheaper), and the
# default build's for the asset generator and the benchmarks, which the
# sanitizer build leaves out: the generator, a developer's tool whose output
# the default build's tests hold byte for byte to the committed assets, would
# take three minutes of processor time there, unoptimised and instrumented.
# It starts when that build is done, and its report appears then.
rm -f build/asan/tidy-report.txt
(nice -n 5 cmake --build --preset asan >build/asan/build.log 2>&1 &&
    LASER_TIDY_FOLDERS="${tidyFolders[*]}" exec nice -n 10 scripts/tidy.sh build/asan build/default \
        >build/asan/tidy-report.txt 2>&1) &
asanBuildAndTidy=$!
pids+=("$asanBuildAndTidy")

phase "default tests"
ctest --preset default -j "$jobs" || status=1

phase "package"
# The check that the package comes out the same when built again in another
# folder compiles the program once more (about 45 s of processor time): the
# lane, which leaves out the benchmarks, has the time for it; the run on the
# project's own machine has none to spare within its 10 minutes.
LASER_PACKAGE_ELSEWHERE=${LASER_LANE:-0} scripts/package.sh || status=1

phase "sanitizer build"
while [ ! -f build/asan/tidy-report.txt ] && kill -0 "$asanBuildAndTidy" 2>/dev/null; do
    sleep 1
done
if [ -f build/asan/tidy-report.txt ]; then
    tail -n 1 build/asan/build.log
    phase "sanitizer tests"
    ctest --preset asan -j "$jobs" || status=1
else
    cat build/asan/build.log
    status=1
fi

phase "clang-tidy"
wait "$asanBuildAndTidy" || status=1
cat build/asan/tidy-report.txt
pids=()
phase "done"
exit "$status"
