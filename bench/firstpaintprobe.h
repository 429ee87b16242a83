// SPDX-License-Identifier: MIT
#pragma once

// Linked into a program measured by bench_startup: when the application
// object is created it starts watching for the first paint of a window;
// once that frame is done it prints the number of shared libraries mapped,
// the peak resident memory so far, the processor time spent so far and the
// milliseconds since the benchmark spawned the process (BENCH_SPAWN_NS,
// CLOCK_MONOTONIC); 300 ms later it quits the event loop, so the program
// ends the ordinary way once what it leaves until after its first frame is done.
void installFirstPaintProbe();
