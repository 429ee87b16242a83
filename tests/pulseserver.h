// SPDX-License-Identifier: MIT
#pragma once

#include "service.h"

#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// A PulseAudio server of the test's own with one null sink, "test" (8-bit
// mono at 22.05 kHz, the program's own format), reached
// through a socket in a scratch folder, so the machine's own sound set-up is
// neither touched nor needed. Works as root and as any user.
class PulseServer {
public:
    PulseServer();

    // False when pulseaudio, pactl or parec is not installed.
    static bool available();

    // Starts the server (again, after stop()) and waits until pactl reaches it.
    bool start();
    // Goes away: SIGTERM by process id.
    void stop();
    // Stalls without going away: SIGSTOP and SIGCONT.
    void pause();
    void resume();
    bool isRunning() const;
    QString log();

    // What a client needs to reach this server and no other, SDL's driver
    // choice included: added to an environment, or this process's own.
    void addClientVariables(QProcessEnvironment &environment) const;
    QProcessEnvironment clientEnvironment() const;
    // Sets the same variables in this process, before SDL's audio starts.
    void useInThisProcess() const;

    // pactl's output; nothing when it fails.
    std::optional<QString> pactl(const QStringList &arguments) const;
    // Playback streams on the server that are not corked; -1 when pactl fails.
    int runningStreams() const;

private:
    QTemporaryDir m_dir;
    Service m_service;
};
