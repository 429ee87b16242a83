// SPDX-License-Identifier: MIT
// The program's one audio device and the thread that makes every SDL call.
#pragma once

#include <QString>

#include <SDL_audio.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

struct SdlLibrary;

// A play call leaves the sound's path for the sound thread and returns; that
// thread opens a device in the sound's own format (SDL converts when the
// server wants another), clears SDL's queue and queues the sound with a
// second of silence after it, and closes the device once that has played, so
// that the server can idle between sounds. Opening, starting and closing can
// each wait on the sound server for as long as it likes, so nothing in the
// program waits on that thread but its end, for a bounded time. The one
// instance is never destroyed, as the thread may outlive the wait at exit.
class AudioOutput {
public:
    // At the end of the process the device gets this long to close; a stalled
    // sound server cannot hold the program's exit any longer.
    static constexpr auto ExitWait = std::chrono::milliseconds(400);

    // The first call starts the thread, which loads SDL and starts its audio.
    static AudioOutput &instance();

    // The newest request replaces one the thread has not taken yet.
    void playFile(const QString &path) { post(path, {}); }
    // Closes the device and shuts SDL's audio down, dropping a sound the
    // thread has not taken yet; the next sound starts both afresh. False when
    // the thread is still in the sound server after `wait`.
    bool close(std::chrono::milliseconds wait) { return post(std::nullopt, wait); }

private:
    using Clock = std::chrono::steady_clock;
    // A sound file decoded for the device: its format, its samples and what
    // the desktop's volume mixer calls it.
    struct Clip {
        SDL_AudioSpec spec = {};
        QByteArray samples;
        QByteArray name;
    };

    AudioOutput();
    // A path asks for a sound, none for the close.
    bool post(std::optional<QString> path, std::chrono::milliseconds wait);
    void run();
    void serve(bool close, const std::optional<QString> &path, Clock::time_point requested);
    void start(const QString &path, Clock::time_point requested);
    std::optional<Clip> decode(const QByteArray &wav, QByteArray name) const;
    bool ensureDevice(const Clip &clip);
    bool initialise();
    bool openDevice(const Clip &clip);
    void replaceQueue(QByteArray samples);
    void closeDevice();
    void quit();

    // Requests, shared with the callers.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_closeRequested = false;
    std::optional<QString> m_path;
    Clock::time_point m_requested;
    quint64 m_posted = 0;
    quint64 m_served = 0;

    // The sound thread's own.
    const SdlLibrary *m_sdl = nullptr;
    SDL_AudioDeviceID m_device = 0;
    SDL_AudioSpec m_spec = {};
    QByteArray m_name;
    bool m_initialised = false;
    bool m_namesStreams = false;
};
