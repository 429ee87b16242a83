// SPDX-License-Identifier: MIT
#include "audiofeed.h"

#include "soundstream.h"

#include <algorithm>
#include <cstring>

AudioFeed::AudioFeed() = default;

AudioFeed::~AudioFeed()
{
    clear();
}

void AudioFeed::reset(int frameBytes, unsigned char silence)
{
    clear();
    m_frameBytes = std::max(1, frameBytes);
    m_silence = silence;
    m_framesDelivered.store(0, std::memory_order_release);
    m_idleFrames.store(0);
}

void AudioFeed::offer(std::unique_ptr<SoundStream> sound)
{
    // Null: the callback took the last offer and has left the one before it.
    // When collect() has already moved that offer to m_taken, it is the one
    // the callback may be reading now, so it stays.
    if (m_incoming.exchange(sound.get()) == nullptr && m_offered)
        m_taken = std::move(m_offered);
    m_offered = std::move(sound);
}

void AudioFeed::collect()
{
    if (m_offered && m_incoming.load() == nullptr)
        m_taken = std::move(m_offered);
}

void AudioFeed::clear()
{
    m_incoming.store(nullptr);
    m_playing = nullptr;
    m_offered.reset();
    m_taken.reset();
}

quint64 AudioFeed::idleFrames() const
{
    // Ordered against fill(): a sound it has taken is never counted idle.
    if (m_incoming.load() != nullptr)
        return 0;
    return m_idleFrames.load();
}

void AudioFeed::fill(void *userdata, unsigned char *stream, int length)
{
    static_cast<AudioFeed *>(userdata)->fill(stream, length);
}

void AudioFeed::fill(unsigned char *stream, int length)
{
    if (m_incoming.load(std::memory_order_relaxed) != nullptr) {
        m_idleFrames.store(0);
        m_playing = m_incoming.exchange(nullptr);
    }
    const int written = m_playing ? m_playing->read(stream, length) : 0;
    if (written < length)
        m_playing = nullptr;
    std::memset(stream + written, m_silence, size_t(length - written));
    m_framesDelivered.fetch_add(quint64(length / m_frameBytes), std::memory_order_acq_rel);
    if (!m_playing) {
        const auto silent = quint64((length - written) / m_frameBytes);
        m_idleFrames.store(m_idleFrames.load(std::memory_order_relaxed) + silent);
    }
}
