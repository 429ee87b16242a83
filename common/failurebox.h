// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

// The program's report for a failure that no handler handles: a message box
// titled with the application's title that states the failure's number and
// description, then the program's clean-up runs (ending::cleanUp) and the
// program ends at once with a non-zero status (ending::exitNow). Tests pass
// their own exit, which may return.
void installFailureBox(std::function<void(int status)> exitProgram = {});
