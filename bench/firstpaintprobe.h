// SPDX-License-Identifier: MIT
#pragma once

// Linked into a program measured by bench_startup: when the application
// object is created it starts watching for the first paint of a window;
// once that frame is done it prints the number of shared libraries mapped,
// the peak resident memory so far and the milliseconds since the benchmark spawned the process
// (BENCH_SPAWN_NS, CLOCK_MONOTONIC), and quits the event loop, so the
// program ends the ordinary way.
void installFirstPaintProbe();
