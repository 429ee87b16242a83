// SPDX-License-Identifier: MIT
// The sound thread: every SDL audio call, the device and its queue.
#pragma once

#include <QByteArray>
#include <QString>

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

struct SdlAudio;

struct AudioFormat {
    int frequency = 0;
    int channels = 0;
    int sdlFormat = 0;
    int bufferFrames = 0;
};

// Opening, closing and starting SDL's audio can each wait on the sound server
// for as long as it likes, so the interface thread only leaves requests here
// and never waits for one; the newest play request replaces one not yet
// served. A sound is played through SDL's own queue: the device is opened in
// the sound's format (SDL converts if the server needs it), the queue is
// cleared and the sound queued with a second of silence after it. Once that
// has played the queue is empty and the device is closed, so that the sound
// server and the hardware can idle between sounds.
class AudioWorker {
public:
    using Clock = std::chrono::steady_clock;

    AudioWorker() = default;
    AudioWorker(const AudioWorker &) = delete;
    AudioWorker &operator=(const AudioWorker &) = delete;

    // The thread's body; returns once a shutdown has been served.
    void run();

    // Prepare starts SDL's audio; Open opens a device without a sound, Close
    // closes it and shuts SDL's audio down, dropping a play not yet served.
    enum Request : unsigned { Prepare = 1, Open = 2, Close = 4, Shutdown = 8 };
    // Both return a ticket for waitServed().
    quint64 request(unsigned requests);
    quint64 requestPlay(const QString &path);
    bool waitServed(quint64 ticket, std::chrono::milliseconds bound);

    bool deviceOpen() const;
    AudioFormat format() const;
    // For tests and measurements: frames the device has taken from the queue
    // since it was last opened. It asks SDL from the calling thread.
    quint64 framesDelivered() const;

private:
    struct Requests {
        std::optional<QString> path;
        Clock::time_point playRequested;
        unsigned flags = 0;
    };
    struct Sound {
        SDL_AudioSpec spec = {};
        QByteArray samples;
        QByteArray name;
    };

    quint64 post(const std::function<void(Requests &)> &request);
    void serve(const Requests &requests);
    void start(const QString &path, Clock::time_point requested);
    std::optional<Sound> decode(const QByteArray &wav) const;
    void replaceQueue(const char *samples, Uint32 bytes);
    void watch();
    bool ensureDevice(const Sound &sound);
    bool initialise();
    bool openDevice(const Sound &sound);
    void closeDevice();
    void quit();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_served;
    Requests m_requests;
    quint64 m_posted = 0;
    quint64 m_servedTicket = 0;
    bool m_deviceOpen = false;
    AudioFormat m_format;

    // Written by the worker only, under m_deviceMutex where framesDelivered() reads.
    mutable std::mutex m_deviceMutex;
    const SdlAudio *m_sdl = nullptr;
    SDL_AudioDeviceID m_device = 0;
    SDL_AudioSpec m_spec = {};
    quint64 m_queuedBytes = 0;
    quint64 m_deliveredAtClose = 0;
    QByteArray m_name;
    bool m_initialised = false;
    bool m_namesStreams = false;
};
