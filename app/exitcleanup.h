// SPDX-License-Identifier: MIT
#pragma once

// Sets the program's clean-up (ending::setCleanUp) and hooks to it the ways
// out that pass the console's terminate handler by: exit() called from inside
// Qt (its X11 plugin does so when the connection to the server breaks) and,
// while an ExitCleanup lives, an exception that reaches std::terminate. A
// fatal message reaches it through the program's message handler
// (runApplication).
class ExitCleanup {
public:
    explicit ExitCleanup(void (*cleanUp)());
    ~ExitCleanup();
    ExitCleanup(const ExitCleanup &) = delete;
    ExitCleanup &operator=(const ExitCleanup &) = delete;
};
