// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QProcess>

#include <functional>
#include <vector>

class PulseServer;
class QString;

// What a PulseServer's sink plays, recorded from its monitor with parec as
// 16-bit mono at the sink's 22.05 kHz, in fragments of 5 ms, so that the count of frames
// received tells how far the sink has played to within a few milliseconds.
class SinkRecorder {
public:
    ~SinkRecorder();

    // Starts parec and waits until the sink runs at the recorder's latency.
    bool start(const PulseServer &server);
    // Frames received so far.
    qint64 frames();
    // Everything received so far.
    std::vector<qint16> heard();
    // Everything received once it satisfies holds, or once timeoutMs have
    // passed: parec can fall seconds behind the sink on a starved machine.
    std::vector<qint16> heardOnce(const std::function<bool(const std::vector<qint16> &)> &holds,
                                  int timeoutMs = 10000);
    void stop();
    bool isRunning() const { return m_parec.state() == QProcess::Running; }

private:
    void take();

    QProcess m_parec;
    QByteArray m_data;
};

// Why the real program's sound cannot be tested here (no X server, no
// PulseAudio); empty when it can.
QString programSoundMissing();
// Starts the server, then the recorder on its sink; false when either fails.
bool startRecordedServer(PulseServer &server, SinkRecorder &recorder);
