// SPDX-License-Identifier: MIT
#include "failurebox.h"

#include "ending.h"
#include "failure.h"
#include "messagebox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTextBoundaryFinder>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

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

// A path of thousands of characters would make the box taller than the
// screen even wrapped: its middle gives way to an ellipsis, so that the box
// keeps its sentence and the file's name, and the whole path goes into the
// box's details, where it can be read and selected.
Failure shortened(const Failure &failure)
{
    constexpr int Lines = 10;
    constexpr int LineWidth = 400;
    if (failure.path.isEmpty() || !failure.description.endsWith(failure.path))
        return failure;
    const QFontMetrics metrics(QApplication::font("QMessageBox"));
    const QString elided = metrics.elidedText(failure.path, Qt::ElideMiddle, Lines * LineWidth);
    if (elided == failure.path)
        return failure;
    return {failure.number, failure.description.chopped(failure.path.size()) + elided,
            failure.path};
}

void showFailure(const Failure &failure)
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        const Failure shown = shortened(failure);
        showMessage(nullptr, breakable(failureText(shown)),
                    shown.description == failure.description ? QString() : failure.path);
    } else {
        std::fprintf(stderr, "%s\n", failureLine(failure).toLocal8Bit().constData());
    }
}

} // namespace

void installFailureBox(std::function<void(int status)> exitProgram)
{
    if (!exitProgram)
        exitProgram = [](int status) { ending::exitNow(status); };
    setFailureReport([exitProgram = std::move(exitProgram)](const Failure &failure) {
        showFailure(failure);
        ending::cleanUp();
        exitProgram(EXIT_FAILURE);
    });
}
