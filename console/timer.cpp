// SPDX-License-Identifier: MIT
#include "timer.h"

Timer::Timer(QObject *parent)
    : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Timer::timeout);
}

void Timer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    apply();
}

void Timer::setInterval(int milliseconds)
{
    m_interval = qMax(0, milliseconds);
    apply();
}

// Changing either the flag or the period restarts the period, as a period
// set on a running timer counts from the moment it was set.
void Timer::apply()
{
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}
