// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into closing every window, so a logout or
// Ctrl+C ends the program the ordinary way and its clean-up runs. The signal
// handler only writes to a pipe; the windows are closed from the event loop.
class SignalClose : public QObject {
    Q_OBJECT

public:
    explicit SignalClose(QObject *parent = nullptr);
    ~SignalClose() override;

private:
    void onSignal();

    QSocketNotifier *m_notifier = nullptr;
};
