// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

// The clocks a polling wait reads: the local time of day, which the wait's
// deadline is set against, and a monotonic clock that bounds the wait when
// the time of day misses its deadline or jumps.
class WaitClock {
public:
    virtual ~WaitClock() = default;
    virtual float secondsSinceMidnight() = 0;
    virtual double monotonicSeconds() = 0;
    virtual void sleepOneMillisecond() = 0;
};

class SystemClock : public WaitClock {
public:
    float secondsSinceMidnight() override;
    double monotonicSeconds() override;
    void sleepOneMillisecond() override;
};

inline constexpr float SecondsPerDay = 86400.0f;

// Polls until the time of day reaches now + seconds, running pass() and a
// 1 ms sleep each round; a deadline past the end of the day first waits for
// midnight. Whatever the time of day does, it returns once the requested
// seconds have passed on the monotonic clock.
void pollWait(float seconds, WaitClock &clock, const std::function<void()> &pass);
