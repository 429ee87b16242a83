#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the benchmarks and prints their figures as one table: first paint,
# peak memory and instructions to the first frame against a bare Qt window,
# countdown tick and boom offsets with the processor time of the wait, how
# soon a sound is heard, and the heap over 100 firings.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh bench
cmake --preset default >/dev/null
cmake --build --preset default --target bench_startup bench_firing bench_sound bench_soak >/dev/null

bench=build/default/bench
log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "--- start-up (Xvfb) ---"
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$bench/bench_startup" | tee -a "$log"
# Instruction counts do not move with the machine's load, unlike milliseconds.
# Counted in every thread together up to the moment the probe reports the
# first frame (callgrind's first dump): the thread that starts fontconfig and
# has ended by then counts, the sound thread, started at the first input, and
# the ending do not.
instructions() {
    local dir
    dir=$(mktemp -d)
    TEMP="$dir" SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=offscreen BENCH_SPAWN_NS=0 \
        valgrind --tool=callgrind --separate-threads=no \
        --dump-before='*FirstPaintProbe::report*' --callgrind-out-file="$dir/counts" \
        "$1" >/dev/null 2>&1
    sed -n 's/^summary: //p' "$dir/counts.1"
    rm -rf "$dir"
}
echo "--- instructions to the first frame (callgrind, offscreen) ---"
console=$(instructions "$bench/bench_firstpaint_console")
bare=$(instructions "$bench/bench_firstpaint_bare")
awk -v c="$console" -v b="$bare" 'BEGIN {
    printf "console %.1f M, bare window %.1f M, ratio %.2f\n", c / 1e6, b / 1e6, c / b
    printf "row: instructions to the first frame | %.1f M | bare window %.1f M, ratio %.2f\n",
        c / 1e6, b / 1e6, c / b }' | tee -a "$log"
echo "--- firing ---"
QT_QPA_PLATFORM=offscreen "$bench/bench_firing" | tee -a "$log"
echo "--- sound (SDL disk driver) ---"
"$bench/bench_sound" | tee "$log.sound"
sed -n 's/^\(play call returns\|call to the first sample\|second call to the switch\|call to the first sample, idle device\) *median *\([0-9.]*\) ms *max *\([0-9.]*\) ms.*/row: sound: \1 | median \2 ms | max \3 ms/p' \
    "$log.sound" >>"$log"
rm -f "$log.sound"
echo "--- 100 firings (Xvfb, a few minutes) ---"
soak=$(mktemp -d)
TEMP="$soak" SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    "$bench/bench_soak" | tee -a "$log"
rm -rf "$soak"

echo
echo "Machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
    "$(nproc) cores, $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| measure | figure | detail |"
echo "|---|---|---|"
sed -n 's/^row: \(.*\)$/| \1 |/p' "$log"
