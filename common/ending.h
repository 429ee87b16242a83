// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The one path of the program's clean-up, which deletes its scratch files and
// which every way of ending reaches: the normal end through the console's
// terminate handler (a signal closes the windows into that end), a failure
// through its report, and the ends that pass the console by through the
// hooks the program installs at start (exit() from inside Qt when the display
// is lost, a fatal message, std::terminate). This library knows no scratch
// file, so the program sets what the clean-up runs.
namespace ending {

// Sets what cleanUp() runs, once. A plain function, as it may run from exit()
// after static destructors.
void setCleanUp(void (*cleanUp)());

// Runs what setCleanUp() set, unless it has run since.
void cleanUp();

// Ends the process at once: writes the sentence, if any, as a line to
// standard error, runs the clean-up, flushes every stream and exits with
// status. It runs no static destructor, as its callers sit deep inside a
// handler or inside Qt's start, with the windows or the application object
// still alive further up the stack.
[[noreturn]] void exitNow(int status, const QString &sentence = {});

} // namespace ending
