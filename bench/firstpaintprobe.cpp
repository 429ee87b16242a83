// SPDX-License-Identifier: MIT
#include "firstpaintprobe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

qint64 monotonicNs()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Shared libraries mapped into the process now: each file once, however
// many of its segments are mapped.
qsizetype mappedLibraries()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    QSet<QByteArray> libraries;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const qsizetype path = line.indexOf('/');
        if (path >= 0 && line.contains(".so"))
            libraries.insert(line.mid(path));
    }
    return libraries.size();
}

// The process's peak resident memory so far, in KiB (VmHWM).
qlonglong peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// This thread's time on a processor and waiting for one, in ms
// (/proc/thread-self/schedstat); -1 each where the kernel keeps no such figures.
std::pair<double, double> threadSchedule()
{
    QFile stat(QStringLiteral("/proc/thread-self/schedstat"));
    if (!stat.open(QIODevice::ReadOnly))
        return {-1, -1};
    const QList<QByteArray> fields = stat.readAll().trimmed().split(' ');
    return {fields.value(0).toDouble() / 1e6, fields.value(1).toDouble() / 1e6};
}

// Processor time of all threads together, in ms.
double processCpuMs()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// After the first frame the program runs on this long before it is ended,
// so that work it leaves until after that frame counts in its peak memory.
constexpr int LingerMs = 300;

class FirstPaintProbe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Any widget's paint starts the first frame: a window covered by an
        // opaque child never gets a paint event of its own.
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()) {
            m_seen = true;
            // Queued: it runs once the whole frame has been painted and flushed.
            QTimer::singleShot(0, this, &FirstPaintProbe::report);
        }
        return false;
    }

private:
    void report()
    {
        const qint64 spawned = qgetenv("BENCH_SPAWN_NS").toLongLong();
        const double ms = double(monotonicNs() - spawned) / 1e6;
        const auto [onProcessor, waiting] = threadSchedule();
        const double allThreads = processCpuMs();
        std::printf("first-paint-libraries %lld\n", qlonglong(mappedLibraries()));
        std::printf("first-paint-peak-kib %lld\n", peakResidentKiB());
        std::printf("first-paint-main-thread-ms %.3f\n", onProcessor);
        std::printf("first-paint-main-thread-waiting-ms %.3f\n", waiting);
        std::printf("first-paint-all-threads-ms %.3f\n", allThreads);
        std::printf("first-paint-ms %.3f\n", ms);
        std::fflush(stdout);
        QTimer::singleShot(LingerMs, qApp, &QCoreApplication::quit);
    }

    bool m_seen = false;
};

} // namespace

void installFirstPaintProbe()
{
    qApp->installEventFilter(new FirstPaintProbe(qApp));
}
