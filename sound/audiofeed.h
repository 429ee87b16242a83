// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <atomic>
#include <memory>

class SoundStream;

// What the device callback plays: the newest sound handed over, then silence.
// The callback and the audio thread meet only through atomics. A stalled
// sound server can hold the callback up for any time, and neither side ever
// waits for the other, so nothing waits for the server but the device itself.
class AudioFeed {
public:
    AudioFeed();
    ~AudioFeed();
    AudioFeed(const AudioFeed &) = delete;
    AudioFeed &operator=(const AudioFeed &) = delete;

    // Audio thread. Before the device runs: its frame size and silence byte.
    void reset(int frameBytes, unsigned char silence);
    // The next callback starts the sound, cutting off the one before.
    void offer(std::unique_ptr<SoundStream> sound);
    // Frees the sounds the callback has let go of.
    void collect();
    // Once the device is closed: frees every sound.
    void clear();
    // Frames of silence handed over since the last sound ended or the device
    // started; zero while a sound plays or waits to start.
    quint64 idleFrames() const;

    // Any thread: frames handed to the device since reset().
    quint64 framesDelivered() const { return m_framesDelivered.load(std::memory_order_acquire); }

    // The SDL callback; userdata is the feed.
    static void fill(void *userdata, unsigned char *stream, int length);

private:
    void fill(unsigned char *stream, int length);

    // Owned by the audio thread. m_offered has been handed over and may be
    // playing; m_taken is the last one the callback is known to have taken,
    // kept until it is known to have moved on.
    std::unique_ptr<SoundStream> m_offered;
    std::unique_ptr<SoundStream> m_taken;

    std::atomic<SoundStream *> m_incoming{nullptr};
    std::atomic<quint64> m_framesDelivered{0};
    std::atomic<quint64> m_idleFrames{0};

    // Only the callback touches these once the device runs.
    SoundStream *m_playing = nullptr;
    int m_frameBytes = 1;
    unsigned char m_silence = 0;
};
