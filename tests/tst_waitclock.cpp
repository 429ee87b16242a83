// SPDX-License-Identifier: MIT
#include "waitclock.h"

#include <QTest>
#include <QTimer>

#include <cmath>

// A clock that moves only when the wait idles, so a two-second wait runs in
// microseconds and can be placed anywhere in the day. Each idle moves it one
// step, or, without a step, as long as the wait asked. Its monotonic clock
// runs at 90 % of the time of day, so a wait that ends by the time of day
// (after 1.8 monotonic seconds) can be told from one that only the bound
// ended (2.0).
class FakeClock : public WaitClock {
public:
    FakeClock(double timeOfDay, double stepSeconds)
        : m_timeOfDay(timeOfDay)
        , m_step(stepSeconds)
    {
    }

    float secondsSinceMidnight() override { return float(m_timeOfDay); }
    double monotonicSeconds() override { return m_monotonic; }
    void idle(double seconds) override
    {
        const double step = m_step > 0 ? m_step : seconds;
        m_monotonic += step * 0.9;
        m_timeOfDay += step;
        if (m_timeOfDay >= 86400.0)
            m_timeOfDay -= 86400.0;
        if (m_jumpAt > 0 && m_monotonic >= m_jumpAt) {
            m_timeOfDay += m_jumpBy;
            m_jumpAt = 0;
        }
    }

    void jump(double atMonotonic, double by)
    {
        m_jumpAt = atMonotonic;
        m_jumpBy = by;
    }

    double m_timeOfDay;
    double m_monotonic = 0;

private:
    double m_step;
    double m_jumpAt = 0;
    double m_jumpBy = 0;
};

class tst_WaitClock : public QObject {
    Q_OBJECT

private slots:
    void lasts_data();
    void lasts();
    void alwaysPassesOnce();
    void idlesUntilDue_data();
    void idlesUntilDue();
    void realClockWaits();
};

void tst_WaitClock::lasts_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("jumpBy");
    QTest::addColumn<double>("ends");

    const double byClock = 1.8;
    const double byBound = 2.0;
    QTest::newRow("morning") << 36000.0 << 0.001 << 0.0 << byClock;
    QTest::newRow("just after midnight") << 0.0 << 0.001 << 0.0 << byClock;
    QTest::newRow("launch at 23:59:59") << 86399.0 << 0.001 << 0.0 << byClock;
    // Polls 1/128 s apart, exact in single precision: no reading rounds up
    // to 86400, so only treating that deadline as past midnight ends the wait.
    QTest::newRow("deadline exactly midnight") << 86398.0 << 0.0078125 << 0.0 << byClock;
    QTest::newRow("deadline rounds up to midnight") << 86397.9999 << 0.001 << 0.0 << byClock;
    // The deadline, 1/64 s before midnight, falls between a poll just before
    // it and the next poll, which already reads the new day.
    QTest::newRow("deadline missed between polls") << 86397.984375 << 0.045 << 0.0 << byBound;
    QTest::newRow("clock set back an hour") << 36000.0 << 0.001 << -3600.0 << byBound;
    QTest::newRow("clock set back across midnight") << 86399.5 << 0.001 << -3600.0 << byBound;
    QTest::newRow("clock set forward an hour") << 36000.0 << 0.001 << 3600.0 << 0.5;
}

void tst_WaitClock::lasts()
{
    QFETCH(double, start);
    QFETCH(double, step);
    QFETCH(double, jumpBy);
    QFETCH(double, ends);

    FakeClock clock(start, step);
    if (jumpBy != 0)
        clock.jump(0.5, jumpBy);
    int passes = 0;
    pollWait(2.0f, clock, [&passes] { ++passes; });
    QVERIFY2(std::abs(clock.m_monotonic - ends) <= step + 0.01,
             qPrintable(QString::number(clock.m_monotonic)));
    QCOMPARE(passes, int(std::lround(clock.m_monotonic / (step * 0.9))));
}

void tst_WaitClock::alwaysPassesOnce()
{
    FakeClock clock(100.0, 0.001);
    int passes = 0;
    pollWait(0.0f, clock, [&passes] { ++passes; });
    QCOMPARE(passes, 1);
}

void tst_WaitClock::idlesUntilDue_data()
{
    QTest::addColumn<double>("start");

    QTest::newRow("morning") << 36000.0;
    QTest::newRow("launch at 23:59:59") << 86399.0;
    QTest::newRow("deadline exactly midnight") << 86398.0;
}

// A clock that idles as long as asked: the wait wakes only as often as a
// clock set forward needs, not every millisecond, and still ends on the
// first reading of its deadline.
void tst_WaitClock::idlesUntilDue()
{
    QFETCH(double, start);

    FakeClock clock(start, 0);
    int passes = 0;
    pollWait(2.0f, clock, [&passes] { ++passes; });
    QVERIFY2(passes <= 2.0 / MaxIdleSeconds * 1.25, qPrintable(QString::number(passes)));
    const float deadline = std::fmod(float(start) + 2.0f, SecondsPerDay);
    QVERIFY2(clock.secondsSinceMidnight() >= deadline &&
                 clock.secondsSinceMidnight() < deadline + 0.002f,
             qPrintable(QString::number(double(clock.secondsSinceMidnight()), 'f', 4)));
}

void tst_WaitClock::realClockWaits()
{
    SystemClock clock;
    const double begin = clock.monotonicSeconds();
    int passes = 0;
    bool handled = false;
    QTimer::singleShot(50, [&handled] { handled = true; });
    pollWait(0.2f, clock, [&passes] { ++passes; });
    const double took = clock.monotonicSeconds() - begin;
    // Never early; how late depends on the machine's load, and a wait that
    // missed its deadline would run on for good (the clock's tests above).
    QVERIFY2(took >= 0.195 && took < 2.0, qPrintable(QString::number(took)));
    // An event that comes during the wait is handled before it ends, and the
    // wait does not spin; its processor time is bench_firing's to measure.
    QVERIFY(handled);
    QVERIFY2(passes >= 1 && passes <= 200, qPrintable(QString::number(passes)));
}

QTEST_GUILESS_MAIN(tst_WaitClock)
#include "tst_waitclock.moc"
