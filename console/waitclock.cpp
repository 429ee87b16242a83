// SPDX-License-Identifier: MIT
#include "waitclock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

float SystemClock::secondsSinceMidnight()
{
    return float(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
}

double SystemClock::monotonicSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::idle(double seconds)
{
    const auto ms = std::max(1, int(std::ceil(seconds * 1000)));
    if (!QCoreApplication::instance() || !QAbstractEventDispatcher::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    // The timer only ends the sleep; any event that comes first ends it too.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(ms);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

namespace {

constexpr float MidnightTest = 1.0f;

class Poller {
public:
    Poller(float seconds, WaitClock &clock, const std::function<void()> &pass)
        : m_clock(clock)
        , m_pass(pass)
        , m_end(clock.monotonicSeconds() + seconds)
    {
    }

    // One pass, then an idle until the time of day may read target; false
    // once the monotonic bound has run out.
    bool round(float target)
    {
        m_pass();
        const double due = std::min(double(target - m_clock.secondsSinceMidnight()),
                                    m_end - m_clock.monotonicSeconds());
        m_clock.idle(std::clamp(due, 0.001, MaxIdleSeconds));
        return m_clock.monotonicSeconds() < m_end;
    }

private:
    WaitClock &m_clock;
    const std::function<void()> &m_pass;
    const double m_end;
};

} // namespace

void pollWait(float seconds, WaitClock &clock, const std::function<void()> &pass)
{
    Poller poller(seconds, clock, pass);
    float deadline = clock.secondsSinceMidnight() + seconds;
    // A deadline of exactly the day's length can never be read from the
    // clock, which wraps to 0 first, so it counts as lying past midnight.
    if (deadline >= SecondsPerDay) {
        deadline = deadline - SecondsPerDay;
        do {
            if (!poller.round(SecondsPerDay))
                return;
        } while (clock.secondsSinceMidnight() >= MidnightTest);
    }
    do {
        if (!poller.round(deadline))
            return;
    } while (clock.secondsSinceMidnight() < deadline);
}
