// SPDX-License-Identifier: MIT
#include "failurebox.h"

#include "failure.h"
#include "messagebox.h"
#include "title.h"

#include <QApplication>
#include <QTextBoundaryFinder>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

// The report runs deep inside a handler, with the windows and the application
// object still alive further up the stack; leaving through exit() would run
// static destructors under them, so the process ends at once instead.
[[noreturn]] void leaveNow(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

// A message box wraps its text only where a line may break; a long run
// without one (a folder's name, say) would run past the screen's edge, so
// such a run gets invisible break opportunities.
QString breakable(const QString &text)
{
    constexpr qsizetype LongestRun = 32;
    const QChar zeroWidthSpace(0x200b);
    QString result;
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    qsizetype start = 0;
    for (qsizetype end = breaks.toNextBoundary(); end > 0; end = breaks.toNextBoundary()) {
        for (qsizetype at = start; at < end; at += LongestRun) {
            if (at > start)
                result += zeroWidthSpace;
            result += text.mid(at, qMin(LongestRun, end - at));
        }
        start = end;
    }
    return result;
}

void showFailure(const Failure &failure)
{
    const QString text = failureText(failure);
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        showMessage(nullptr, breakable(text));
    else
        std::fprintf(stderr, "%s: %s\n", ApplicationTitle, text.toLocal8Bit().constData());
}

} // namespace

void installFailureBox(std::function<void(int status)> exitProgram)
{
    if (!exitProgram)
        exitProgram = leaveNow;
    setFailureReport([exitProgram = std::move(exitProgram)](const Failure &failure) {
        showFailure(failure);
        runFailureCleanUp();
        exitProgram(EXIT_FAILURE);
    });
}
