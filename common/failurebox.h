// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

// The program's report for a failure that no handler handles: a message box
// titled with the application's title that states the failure's number and
// description, then the failure clean-up runs (setFailureCleanUp) and the
// program ends with a non-zero status. Tests pass their own exit, which may
// return.
void installFailureBox(std::function<void(int status)> exitProgram = {});
