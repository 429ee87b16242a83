// SPDX-License-Identifier: MIT
// The program's one audio device and the thread that makes every SDL call.
#pragma once

#include <QString>

#include <chrono>
#include <memory>
#include <thread>

// A play call leaves the sound's path for the sound thread and returns; that
// thread opens a device in the sound's own format (SDL converts when the
// server wants another), clears SDL's queue and queues the sound with a
// second of silence after it, and closes the device once that has played, so
// that the server can idle between sounds. Opening, starting and closing can
// each wait on the sound server for as long as it likes, so the interface
// thread never waits on that thread, except for a bounded wait at exit.
// Without SDL or a device everything here is silent.
class AudioOutput {
public:
    struct Format {
        int frequency = 0;
        int channels = 0;
        int sdlFormat = 0;
        int bufferFrames = 0;
    };

    // At the end of the process the device gets this long to close; a stalled
    // sound server cannot hold the program's exit any longer.
    static constexpr auto ExitWait = std::chrono::milliseconds(400);

    static AudioOutput &instance();
    ~AudioOutput();
    AudioOutput(const AudioOutput &) = delete;
    AudioOutput &operator=(const AudioOutput &) = delete;

    // Starts the thread, which loads SDL and starts its audio, so that the
    // first sound is as quick as any other.
    void prepare();
    // Starts the WAV file at path, cutting off what was playing, from the
    // start; a file that cannot be played gives the alert tone. The newest
    // request replaces one the thread has not taken yet.
    void playFile(const QString &path);
    // Ends the thread, waiting at most the time given. False when it is still
    // stuck in the sound server: it is left behind, and nothing here plays
    // until it has come out and finished.
    bool shutdown(std::chrono::milliseconds wait = ExitWait);

    // For tests and measurements, never the interface thread: these wait.
    // True when a device is open, opening one if none is.
    bool ensureOpen();
    // Closes the device and shuts SDL's audio down; the next use starts both afresh.
    void close();
    bool isOpen() const;
    // Frames the device has taken from its queue since it was last opened.
    quint64 framesDelivered() const;
    Format format() const;

    class Engine;

private:
    AudioOutput() = default;
    Engine *engine();

    // Shared with the thread, which may outlive this object when left behind.
    std::shared_ptr<Engine> m_engine;
    std::thread m_thread;
    bool m_abandoned = false;
    quint64 m_shutdownTicket = 0;
};
