// SPDX-License-Identifier: MIT
#pragma once

#include "audiofeed.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

struct AudioFormat {
    int frequency = 0;
    int channels = 0;
    int sdlFormat = 0;
    int bufferFrames = 0;
};

// The thread that makes every SDL audio call. Opening, closing and starting
// SDL's audio can each wait on the sound server for as long as it likes, so
// the interface thread only leaves requests here and never waits for one.
// The newest play request replaces one not yet served. The device is opened
// for a sound and closed again once it has been silent a while, so that the
// sound server and the hardware can idle between sounds.
class AudioWorker {
public:
    using Clock = std::chrono::steady_clock;

    AudioWorker() = default;
    AudioWorker(const AudioWorker &) = delete;
    AudioWorker &operator=(const AudioWorker &) = delete;

    // The thread's body; returns once a shutdown has been served.
    void run();

    // Requests return a ticket for waitServed().
    quint64 requestPlay(const QString &path);
    quint64 requestOpen();
    quint64 requestClose();
    quint64 requestShutdown();
    bool waitServed(quint64 ticket, std::chrono::milliseconds bound);

    bool deviceOpen() const;
    AudioFormat format() const;
    quint64 framesDelivered() const { return m_feed.framesDelivered(); }

private:
    struct Requests {
        std::optional<QString> path;
        Clock::time_point playRequested;
        bool open = false;
        bool close = false;
        bool shutdown = false;
    };

    quint64 post(const std::function<void(Requests &)> &request);
    void serve(const Requests &requests);
    void start(const QString &path, Clock::time_point requested);
    void watch();
    bool ensureDevice();
    bool initialise();
    bool openDevice();
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

    // Worker thread only.
    bool m_initialised = false;
    unsigned m_device = 0;
    AudioFeed m_feed;
};
