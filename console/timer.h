// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QTimer>

// A timer with an enabled flag and a period, where a period of 0 means no
// ticks (a plain QTimer with interval 0 would fire on every event-loop pass).
// Ticks come from a precise timer so a countdown does not wander.
class Timer : public QObject {
    Q_OBJECT

public:
    explicit Timer(QObject *parent = nullptr);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int interval() const { return m_interval; }
    void setInterval(int milliseconds);
    bool isTicking() const { return m_timer.isActive(); }

signals:
    void timeout();

private:
    void apply();

    QTimer m_timer;
    bool m_enabled = false;
    int m_interval = 0;
};
