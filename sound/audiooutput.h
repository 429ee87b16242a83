// SPDX-License-Identifier: MIT
// The sound thread's owner: starts it, hands it requests, bounds its end.
#pragma once

#include "audioworker.h"

#include <chrono>
#include <memory>
#include <thread>

// The program's one SDL audio device, driven from a thread of its own so that
// no call here waits on the sound service. A play call leaves the sound with
// that thread and returns; the sound starts within one small device buffer of
// the device being ready. Without SDL or a device everything here is silent.
class AudioOutput {
public:
    using Format = AudioFormat;

    // At the end of the process the device gets this long to close; a stalled
    // sound server cannot hold the program's exit any longer.
    static constexpr auto ExitWait = std::chrono::milliseconds(400);

    static AudioOutput &instance();
    ~AudioOutput();
    AudioOutput(const AudioOutput &) = delete;
    AudioOutput &operator=(const AudioOutput &) = delete;

    // Starts the thread, which loads SDL and starts its audio, so that the
    // first sound is as quick as any other. Never waits.
    void prepare();

    // Starts the WAV file at path, cutting off what was playing; a file that
    // cannot be played gives the alert tone. Never waits: even the file is
    // read on the audio thread.
    void playFile(const QString &path);

    // Closes the device and the audio thread, waiting at most the time given.
    // False when the thread is still stuck in the sound service: it is then
    // left behind, and nothing here plays until it has come out and finished.
    bool shutdown(std::chrono::milliseconds wait = ExitWait);

    // For tests and measurements, never the interface thread: they wait.
    // True when a device is open, opening one if none is.
    bool ensureOpen();
    // Stops the device and shuts SDL's audio down; the next use starts both afresh.
    void close();
    // Whether the device is open now (it closes itself when idle).
    bool isOpen() const;

    // Frames the device has taken since it was last opened (asks SDL: tests only).
    quint64 framesDelivered() const { return m_worker ? m_worker->framesDelivered() : 0; }
    Format format() const { return m_worker ? m_worker->format() : Format(); }

private:
    AudioOutput() = default;
    AudioWorker *worker();

    // Shared with the thread, which may outlive this object when abandoned.
    std::shared_ptr<AudioWorker> m_worker;
    std::thread m_thread;
    bool m_abandoned = false;
    quint64 m_shutdownTicket = 0;
};
