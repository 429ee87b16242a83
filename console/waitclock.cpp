// SPDX-License-Identifier: MIT
#include "waitclock.h"

#include <QTime>

#include <chrono>
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

void SystemClock::sleepOneMillisecond()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
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

    // One pass; false once the monotonic bound has run out.
    bool round()
    {
        m_pass();
        m_clock.sleepOneMillisecond();
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
            if (!poller.round())
                return;
        } while (clock.secondsSinceMidnight() >= MidnightTest);
    }
    do {
        if (!poller.round())
            return;
    } while (clock.secondsSinceMidnight() < deadline);
}
