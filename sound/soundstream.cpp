// SPDX-License-Identifier: MIT
#include "soundstream.h"

#include <algorithm>

namespace {

// Source frames converted at a time: well under a millisecond of work.
constexpr Uint32 ChunkFrames = 1024;
// SDL_AudioStreamFlush loses the resampler's last frames (SDL 2.26), so the
// end of a sound is pushed out with silence instead, and cut at its length.
constexpr int MaxSilentChunks = 4;

} // namespace

std::unique_ptr<SoundStream> SoundStream::fromWav(const QByteArray &wav, SDL_AudioFormat format,
                                                  int channels, int frequency)
{
    SDL_RWops *source = SDL_RWFromConstMem(wav.constData(), int(wav.size()));
    if (!source)
        return nullptr;
    std::unique_ptr<SoundStream> sound(new SoundStream);
    SDL_AudioSpec spec = {};
    if (!SDL_LoadWAV_RW(source, 1, &spec, &sound->m_samples, &sound->m_length) || spec.freq <= 0)
        return nullptr;
    sound->m_frameBytes = std::max(1u, Uint32(SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels));
    sound->m_length -= sound->m_length % sound->m_frameBytes;
    sound->m_chunk = sound->m_frameBytes * ChunkFrames;
    sound->m_silence.reset(new Uint8[sound->m_chunk]);
    std::fill_n(sound->m_silence.get(), sound->m_chunk, spec.silence);
    sound->m_rate = spec.freq;
    sound->m_outputFrameBytes = SDL_AUDIO_BITSIZE(format) / 8 * channels;
    sound->m_outputRate = frequency;
    sound->m_outputLeft = sound->outputBytes(sound->m_length / sound->m_frameBytes);
    sound->m_stream = SDL_NewAudioStream(spec.format, spec.channels, spec.freq, format,
                                         Uint8(channels), frequency);
    if (!sound->m_stream)
        return nullptr;
    return sound;
}

SoundStream::~SoundStream()
{
    if (m_stream)
        SDL_FreeAudioStream(m_stream);
    SDL_FreeWAV(m_samples);
}

int SoundStream::read(unsigned char *out, int length)
{
    const int wanted = int(std::min<qint64>(length, m_outputLeft));
    int filled = 0;
    while (filled < wanted) {
        const int got = SDL_AudioStreamGet(m_stream, out + filled, wanted - filled);
        if (got < 0)
            break;
        filled += got;
        if (filled < wanted && !feed())
            break;
    }
    m_outputLeft -= filled;
    return filled;
}

bool SoundStream::skip(double seconds)
{
    const Uint32 frames = m_length / m_frameBytes;
    const Uint32 skipped = Uint32(std::clamp(seconds * m_rate, 0.0, double(frames)));
    m_consumed = skipped * m_frameBytes;
    m_outputLeft = outputBytes(frames - skipped);
    return m_outputLeft > 0;
}

qint64 SoundStream::outputBytes(Uint32 sourceFrames) const
{
    return qint64(sourceFrames) * m_outputRate / m_rate * m_outputFrameBytes;
}

// False when nothing more can be put into the stream.
bool SoundStream::feed()
{
    if (m_consumed < m_length) {
        const Uint32 chunk = std::min(m_chunk, m_length - m_consumed);
        m_consumed += chunk;
        return SDL_AudioStreamPut(m_stream, m_samples + m_consumed - chunk, int(chunk)) == 0;
    }
    if (m_silentChunks == MaxSilentChunks)
        return false;
    ++m_silentChunks;
    return SDL_AudioStreamPut(m_stream, m_silence.get(), int(m_chunk)) == 0;
}

std::vector<qint16> SoundStream::deviceFrames(const QByteArray &wav, int frequency, int pieceFrames)
{
    const auto sound = fromWav(wav, AUDIO_S16SYS, 1, frequency);
    std::vector<qint16> frames;
    std::vector<qint16> piece(size_t(qMax(1, pieceFrames)));
    const int bytes = int(piece.size() * sizeof(qint16));
    while (sound) {
        const int got = sound->read(reinterpret_cast<unsigned char *>(piece.data()), bytes);
        frames.insert(frames.end(), piece.begin(), piece.begin() + got / 2);
        if (got < bytes)
            break;
    }
    return frames;
}
