// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

// A real component a test needs beside the program (a window manager, a
// compositor, a sound server, an accessibility bus): the test starts it,
// waits until it answers, and stops it by its process id when done.
class Service {
public:
    explicit Service(QString name);
    ~Service();
    Service(const Service &) = delete;
    Service &operator=(const Service &) = delete;

    // Starts program and polls ready() until it holds or timeoutMs pass.
    // False, with the service stopped and its output kept in log(), when the
    // program cannot start, exits early or never answers.
    bool start(const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment, const std::function<bool()> &ready,
               int timeoutMs = 15000);

    // SIGTERM to the process id, then SIGKILL if it has not gone within a while.
    void stop();
    // SIGSTOP and SIGCONT: a service that stalls without going away.
    void pause();
    void resume();

    bool isRunning() const;
    qint64 pid() const { return m_pid; }
    // What the service has printed so far, raw; log() names the service first.
    QByteArray output();
    QString log();

private:
    QString m_name;
    QProcess m_process;
    qint64 m_pid = 0;
    QByteArray m_log;
};

// Polls condition() every few milliseconds, processing events, until it holds
// or timeoutMs pass; returns whether it held.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs);
