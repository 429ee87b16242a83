// SPDX-License-Identifier: MIT
#pragma once

// Starts the launcher: the console, the wiring to the result window, and the
// event loop until the last window has closed. Returns the exit status.
int runApplication(int argc, char *argv[]);
