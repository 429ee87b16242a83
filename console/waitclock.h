// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

// The clocks a polling wait reads: the local time of day, which the wait's
// deadline is set against, and a monotonic clock that bounds the wait when
// the time of day misses its deadline or jumps.
class WaitClock {
public:
    virtual ~WaitClock() = default;
    // Single precision on purpose: the wait's deadline is set against this reading, which
    // moves in steps of 1/128 s after 18:12; a double would move the end of a wait by up to
    // such a step. tst_waitclock's rows around midnight are built on those steps, and
    // tst_firing's bound on the launch's return allows for them.
    virtual float secondsSinceMidnight() = 0;
    virtual double monotonicSeconds() = 0;
    // Sleeps for about the seconds given (at least a millisecond), or less.
    virtual void idle(double seconds) = 0;
};

// The system's clocks. It idles in the thread's event loop, when there is
// one, so that an event that comes meanwhile is handled at once.
class SystemClock : public WaitClock {
public:
    float secondsSinceMidnight() override;
    double monotonicSeconds() override;
    void idle(double seconds) override;
};

inline constexpr float SecondsPerDay = 86400.0f;
// A time of day set forward during the wait is seen within this long.
inline constexpr double MaxIdleSeconds = 0.05;

// Polls until the time of day reaches now + seconds, running pass() and an
// idle each round until the reading it waits for is due, at most
// MaxIdleSeconds; a deadline past the end of the day first waits for
// midnight. Whatever the time of day does, it returns once the requested
// seconds have passed on the monotonic clock.
void pollWait(float seconds, WaitClock &clock, const std::function<void()> &pass);
