// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

#include <SDL.h>

#include <memory>
#include <vector>

// The samples of one WAV file, converted to the device's format piece by
// piece as the device asks for them. Converting the whole file up front would
// keep a play call busy for milliseconds with a long sound.
class SoundStream {
public:
    // Null when the bytes are not a WAV file that SDL can play.
    static std::unique_ptr<SoundStream> fromWav(const QByteArray &wav, SDL_AudioFormat format,
                                                int channels, int frequency);
    ~SoundStream();
    SoundStream(const SoundStream &) = delete;
    SoundStream &operator=(const SoundStream &) = delete;

    // Writes up to length bytes of device samples to out and returns how many
    // it wrote; fewer than asked once the sound has ended.
    int read(unsigned char *out, int length);

    // Before the first read: starts the sound that far in, as if it had been
    // playing since then. False when nothing of it is left.
    bool skip(double seconds);

    // A whole sound in signed 16-bit mono as the device callback receives it,
    // read in pieces of the given size: what a recording of the device holds.
    static std::vector<qint16> deviceFrames(const QByteArray &wav, int frequency, int pieceFrames);

private:
    SoundStream() = default;
    bool feed();
    qint64 outputBytes(Uint32 sourceFrames) const;

    Uint8 *m_samples = nullptr;
    Uint32 m_length = 0;
    Uint32 m_consumed = 0;
    Uint32 m_chunk = 0;
    Uint32 m_frameBytes = 1;
    int m_rate = 1;
    qint64 m_outputFrameBytes = 1;
    int m_outputRate = 1;
    std::unique_ptr<Uint8[]> m_silence;
    int m_silentChunks = 0;
    qint64 m_outputLeft = 0;
    SDL_AudioStream *m_stream = nullptr;
};
