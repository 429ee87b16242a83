#include "failurebox.h"

#include "failure.h"
#include "messagebox.h"
#include "scratchfiles.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// The report runs deep inside a handler, with the windows and the application
// object still alive further up the stack; leaving through exit() would run
// static destructors under them, so the process ends at once instead.
[[noreturn]] void leaveNow(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

void showFailure(const Failure &failure)
{
    const QString text = failureText(failure);
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        showMessage(nullptr, text);
    else
        std::fprintf(stderr, "%s: %s\n", ApplicationTitle, text.toLocal8Bit().constData());
}

} // namespace

void installFailureBox(std::function<void(int status)> exitProgram)
{
    if (!exitProgram)
        exitProgram = leaveNow;
    setFailureReport([exitProgram](const Failure &failure) {
        showFailure(failure);
        scratch::deleteAll();
        exitProgram(EXIT_FAILURE);
    });
}
