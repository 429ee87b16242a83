// SPDX-License-Identifier: MIT
// The program itself, started as the installed program starts, fires 100
// times with delay 1 and closes each result window with its OK; after the
// 10th and the 100th firing it prints the heap in use and the resident
// memory, and then ends the ordinary way. Growth between the two is what
// each firing leaves behind.
#include "application.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <malloc.h>
#include <unistd.h>

namespace {

constexpr int Firings = 100;
constexpr int EarlyFiring = 10;

struct Memory {
    double heapMiB = 0;
    double rssMiB = 0;
};

Memory memoryNow()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return {double(mallinfo2().uordblks) / (1024.0 * 1024.0),
            double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0)};
}

QWidget *visibleWindow(const char *name)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String(name) && window->isVisible())
            return window;
    }
    return nullptr;
}

// Fires, waits for the result window, closes it with OK and, once it is
// gone, fires again.
class Soak : public QObject {
public:
    using QObject::QObject;

    void fire()
    {
        QWidget *console = visibleWindow("Form1");
        if (!console) {
            QTimer::singleShot(50, this, &Soak::fire);
            return;
        }
        console->findChild<QLineEdit *>(QStringLiteral("DelayTextBox"))->setText("1");
        console->findChild<QPushButton *>(QStringLiteral("FireButton"))->click();
        QTimer::singleShot(50, this, &Soak::closeResult);
    }

private:
    void closeResult()
    {
        QWidget *result = visibleWindow("Dialog");
        if (!result) {
            QTimer::singleShot(50, this, &Soak::closeResult);
            return;
        }
        result->findChild<QPushButton *>(QStringLiteral("OKButton"))->click();
        ++m_fired;
        // Measured on the next turn of the loop, once the closed window is deleted.
        QTimer::singleShot(50, this, &Soak::afterFiring);
    }

    void afterFiring()
    {
        if (m_fired == EarlyFiring)
            m_early = memoryNow();
        if (m_fired < Firings) {
            fire();
            return;
        }
        report(memoryNow());
        QApplication::closeAllWindows();
    }

    void report(const Memory &late) const
    {
        std::printf("after firing %d: heap in use %.2f MiB, resident %.2f MiB\n", EarlyFiring,
                    m_early.heapMiB, m_early.rssMiB);
        std::printf("after firing %d: heap in use %.2f MiB, resident %.2f MiB\n", Firings,
                    late.heapMiB, late.rssMiB);
        const double perFiring =
            (late.heapMiB - m_early.heapMiB) * 1024.0 / (Firings - EarlyFiring);
        std::printf("row: heap over %d firings | %+.1f kB a firing | %.2f -> %.2f MiB in use, "
                    "resident %.2f -> %.2f MiB (after firing %d and %d)\n",
                    Firings, perFiring, m_early.heapMiB, late.heapMiB, m_early.rssMiB, late.rssMiB,
                    EarlyFiring, Firings);
        std::fflush(stdout);
    }

    int m_fired = 0;
    Memory m_early;
};

void startSoak()
{
    QTimer::singleShot(0, new Soak(qApp), &Soak::fire);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startSoak)

int main(int argc, char *argv[])
{
    return runApplication(argc, argv);
}
