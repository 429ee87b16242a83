// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into closing every window, so a logout or
// Ctrl+C ends the program the ordinary way and its clean-up runs. The signal
// handler only writes to a pipe; the windows are closed from the event loop.
// A signal the program was started with ignored (nohup, a background job)
// stays ignored.
class SignalClose : public QObject {
    Q_OBJECT

public:
    // Installs the handler; main calls it first of all, so that a signal that
    // comes while the program is still starting waits in the pipe and closes
    // the windows once the event loop runs, instead of killing the program.
    static void catchSignals();

    // Listens to the pipe (installing the handler if main has not).
    explicit SignalClose(QObject *parent = nullptr);
    ~SignalClose() override;

private:
    void onSignal();

    QSocketNotifier *m_notifier = nullptr;
};
