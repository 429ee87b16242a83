#pragma once

// Starts the launcher: the console, the wiring to the result window, and the
// event loop until the last window has closed. Returns the exit status.
int runApplication(int argc, char *argv[]);

// Why the program cannot show its windows, in one sentence; empty when a
// display can be reached or a platform was chosen explicitly.
class QString;
QString missingDisplay();
