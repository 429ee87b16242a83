// SPDX-License-Identifier: MIT
#pragma once

// The console deletes the scratch files in its terminate handler when the
// program ends the ordinary way. While an ExitCleanup lives, the ways out
// that pass that handler by delete them too: exit() called from inside Qt
// (its X11 plugin does so when the connection to the server breaks), a
// fatal message, and an exception that reaches std::terminate.
class ExitCleanup {
public:
    ExitCleanup();
    ~ExitCleanup();
    ExitCleanup(const ExitCleanup &) = delete;
    ExitCleanup &operator=(const ExitCleanup &) = delete;
};
