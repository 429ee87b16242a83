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
        std::printf("first-paint-libraries %lld\n", qlonglong(mappedLibraries()));
        std::printf("first-paint-peak-kib %lld\n", peakResidentKiB());
        std::printf("first-paint-ms %.3f\n", ms);
        std::fflush(stdout);
        QCoreApplication::quit();
    }

    bool m_seen = false;
};

} // namespace

void installFirstPaintProbe()
{
    qApp->installEventFilter(new FirstPaintProbe(qApp));
}
