// SPDX-License-Identifier: MIT
#include "signalclose.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Closing[] = {SIGTERM, SIGINT, SIGHUP};
int signalPipe[2] = {-1, -1};

void onPosixSignal(int)
{
    const char byte = 1;
    // Nothing useful can be done about a full pipe: a close is already pending.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void SignalClose::catchSignals()
{
    if (signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = onPosixSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : Closing) {
        struct sigaction inherited = {};
        if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
}

SignalClose::SignalClose(QObject *parent)
    : QObject(parent)
{
    catchSignals();
    if (signalPipe[0] < 0)
        return;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalClose::onSignal);
}

SignalClose::~SignalClose()
{
    // Past the event loop the program is ending within a bounded time; a
    // signal repeated now has nothing left to close and must not turn that
    // clean end into a kill.
    for (int signal : Closing) {
        struct sigaction current = {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == onPosixSignal)
            std::signal(signal, SIG_IGN);
    }
    delete m_notifier;
    for (int &fd : signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void SignalClose::onSignal()
{
    char buffer[16];
    while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    QApplication::closeAllWindows();
}
