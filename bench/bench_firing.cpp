// SPDX-License-Identifier: MIT
// Fires the console with delays 1, 3 and 20 and prints how far each tick and
// the boom land from their ideal times, and the processor time the process
// spends in the locked wait and in the rest of the countdown.
#include "fonts.h"
#include "form1.h"
#include "timer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void fire(Form1 &form, int delay)
{
    form.DelayTextBox->setText(QString::number(delay));
    QList<qint64> ticks;
    qint64 boom = -1;
    QElapsedTimer clock;
    auto tickConnection = QObject::connect(form.Timer1, &Timer::timeout, &form,
                                           [&] { ticks << clock.nsecsElapsed(); });
    auto boomConnection = QObject::connect(&form, &Form1::resultRequested, &form,
                                           [&] { boom = clock.nsecsElapsed(); });

    // The click's own work (the sound, the repaint of disabled controls) is
    // done within the wait's first half second; its rest is the wait alone.
    double cpuSettled = 0;
    qint64 settledAt = 0;
    QTimer::singleShot(500, &form, [&] {
        cpuSettled = cpuSeconds();
        settledAt = clock.nsecsElapsed();
    });
    const double cpuStart = cpuSeconds();
    clock.start();
    form.FireButton->click();
    const double waitSeconds = double(clock.nsecsElapsed()) / 1e9;
    const double cpuWait = cpuSeconds() - cpuStart;
    const double settledSeconds = waitSeconds - double(settledAt) / 1e9;
    const double cpuIdle = cpuStart + cpuWait - cpuSettled;
    while (boom < 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double restSeconds = double(boom) / 1e9 - waitSeconds;
    const double cpuRest = cpuSeconds() - cpuStart - cpuWait;
    QObject::disconnect(tickConnection);
    QObject::disconnect(boomConnection);

    std::printf("delay %d\n  tick offsets (ms):", delay);
    double worst = 0;
    for (qsizetype k = 0; k + 1 < ticks.size(); ++k) {
        const double off = double(ticks.at(k)) / 1e6 - double(k + 1) * 1000.0;
        worst = qMax(worst, qAbs(off));
        std::printf(" %+.2f", off);
    }
    std::printf("\n  worst tick %.2f ms; boom offset from %d s: %+.2f ms\n", worst, delay + 1,
                double(boom) / 1e6 - (delay + 1) * 1000.0);
    std::printf("  cpu in the wait: %.1f %% of one core (%.3f s of %.3f s); after the click's "
                "own work: %.1f %% (%.3f s of %.3f s)\n",
                100 * cpuWait / waitSeconds, cpuWait, waitSeconds, 100 * cpuIdle / settledSeconds,
                cpuIdle, settledSeconds);
    if (restSeconds > 0.05)
        std::printf("  cpu after it:    %.1f %% of one core (%.3f s of %.3f s)\n",
                    100 * cpuRest / restSeconds, cpuRest, restSeconds);
    else
        std::printf("  the boom came inside the wait\n");

    const QString countdownCpu = restSeconds > 0.05
                                     ? QString::asprintf("%.1f %%", 100 * cpuRest / restSeconds)
                                     : QStringLiteral("(boom inside the wait)");
    std::printf("row: delay %d | worst tick %.2f ms, boom %+.2f ms | processor: wait %.1f %% "
                "(%.1f %% after the click's work), countdown %s of one core\n",
                delay, worst, double(boom) / 1e6 - (delay + 1) * 1000.0,
                100 * cpuWait / waitSeconds, 100 * cpuIdle / settledSeconds,
                qPrintable(countdownCpu));
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir temp;
    qputenv("TEMP", temp.path().toLocal8Bit());
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    installFontSubstitutions();
    Form1 form;
    form.show();
    for (int delay : {1, 3, 20})
        fire(form, delay);
    return 0;
}
