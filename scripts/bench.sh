#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the benchmarks and prints their figures as one table: first paint and
# peak memory against a bare Qt window, countdown tick and boom offsets with
# the processor time of the wait, and how soon a sound is heard.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target bench_startup bench_firing bench_sound >/dev/null

bench=build/default/bench
log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "--- start-up (Xvfb) ---"
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$bench/bench_startup" | tee -a "$log"
echo "--- firing ---"
QT_QPA_PLATFORM=offscreen "$bench/bench_firing" | tee -a "$log"
echo "--- sound (SDL disk driver) ---"
"$bench/bench_sound" | tee "$log.sound"
sed -n 's/^\(play call returns\|call to the first sample\|second call to the switch\|call to the first sample, idle device\) *median *\([0-9.]*\) ms *max *\([0-9.]*\) ms.*/row: sound: \1 | median \2 ms | max \3 ms/p' \
    "$log.sound" >>"$log"
rm -f "$log.sound"

echo
echo "Machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
    "$(nproc) cores, $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| measure | figure | detail |"
echo "|---|---|---|"
sed -n 's/^row: \(.*\)$/| \1 |/p' "$log"
