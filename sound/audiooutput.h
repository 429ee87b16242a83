#pragma once

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <memory>

class SoundStream;

// The program's one SDL audio device. It is opened on first use and then runs
// without pause, playing silence between sounds, so that starting a sound only
// swaps the stream its callback reads from: the switch is heard within one
// small device buffer. Without a device everything here is silent and cheap.
class AudioOutput {
public:
    struct Format {
        int frequency = 0;
        int channels = 0;
        int sdlFormat = 0;
        int bufferFrames = 0;
    };

    static AudioOutput &instance();
    ~AudioOutput();
    AudioOutput(const AudioOutput &) = delete;
    AudioOutput &operator=(const AudioOutput &) = delete;

    // True when a device is open. Opens one when none is and the last failed
    // attempt is old enough; a missing audio driver is not tried again.
    bool ensureOpen();

    // Starts the WAV file's samples at once, cutting off what was playing.
    // False, with nothing changed, when the bytes are not a playable WAV.
    bool playWav(const QByteArray &wav);

    // Stops the device and shuts SDL down; the next use starts both afresh.
    void close();

    // Frames the callback has handed to the device since it was last opened.
    quint64 framesDelivered() const { return m_framesDelivered.load(std::memory_order_acquire); }
    Format format() const { return m_format; }

private:
    AudioOutput() = default;

    bool initialise();
    bool openDevice();
    void start(std::unique_ptr<SoundStream> sound);
    static void fill(void *userdata, unsigned char *stream, int length);

    bool m_initialised = false;
    bool m_driverMissing = false;
    unsigned m_device = 0;
    std::chrono::steady_clock::time_point m_nextAttempt;
    Format m_format;
    int m_frameBytes = 1;
    unsigned char m_silence = 0;

    // Read by the callback under SDL's device lock.
    std::unique_ptr<SoundStream> m_sound;
    std::atomic<quint64> m_framesDelivered{0};
};
