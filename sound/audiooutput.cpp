#include "audiooutput.h"

#include "soundstream.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <dlfcn.h>

namespace {

constexpr int RequestedRate = 44100;
// 512 frames at 44.1 kHz are 11.6 ms: a new sound is heard within about one of them.
constexpr int RequestedFrames = 512;
constexpr auto RetryDelay = std::chrono::seconds(5);

void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

// alsa-lib prints several lines to standard error when no card exists. SDL
// has loaded it already when its ALSA driver is chosen; it is silenced there.
void silenceAlsa()
{
    void *alsa = ::dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!alsa)
        return;
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(::dlsym(alsa, "snd_lib_error_set_handler")))
        set(ignoreAlsaError);
    ::dlclose(alsa);
}

} // namespace

AudioOutput &AudioOutput::instance()
{
    static AudioOutput output;
    return output;
}

AudioOutput::~AudioOutput()
{
    close();
}

bool AudioOutput::ensureOpen()
{
    if (m_device != 0 && SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_PLAYING)
        return true;
    if (m_device != 0) {
        // The device went away (unplugged, server gone): start over with a new one.
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
    if (m_driverMissing || std::chrono::steady_clock::now() < m_nextAttempt)
        return false;
    if (!initialise())
        return false;
    if (openDevice())
        return true;
    m_nextAttempt = std::chrono::steady_clock::now() + RetryDelay;
    return false;
}

bool AudioOutput::initialise()
{
    if (m_initialised)
        return true;
    // The program handles its own signals.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        m_driverMissing = true;
        return false;
    }
    m_initialised = true;
    const char *driver = SDL_GetCurrentAudioDriver();
    if (driver && std::strcmp(driver, "alsa") == 0)
        silenceAlsa();
    return true;
}

bool AudioOutput::openDevice()
{
    SDL_AudioSpec wanted = {};
    wanted.freq = RequestedRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = RequestedFrames;
    wanted.callback = &AudioOutput::fill;
    wanted.userdata = this;
    SDL_AudioSpec obtained = {};
    const int changes = SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_FORMAT_CHANGE |
                        SDL_AUDIO_ALLOW_CHANNELS_CHANGE;
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, changes);
    if (m_device == 0)
        return false;
    m_format = {obtained.freq, obtained.channels, obtained.format, obtained.samples};
    m_frameBytes = std::max(1, int(SDL_AUDIO_BITSIZE(obtained.format)) / 8 * obtained.channels);
    m_silence = obtained.silence;
    m_sound.reset();
    m_framesDelivered.store(0, std::memory_order_release);
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

bool AudioOutput::playWav(const QByteArray &wav)
{
    if (m_device == 0)
        return false;
    std::unique_ptr<SoundStream> sound = SoundStream::fromWav(
        wav, SDL_AudioFormat(m_format.sdlFormat), m_format.channels, m_format.frequency);
    if (!sound)
        return false;
    start(std::move(sound));
    return true;
}

void AudioOutput::start(std::unique_ptr<SoundStream> sound)
{
    SDL_LockAudioDevice(m_device);
    m_sound.swap(sound);
    SDL_UnlockAudioDevice(m_device);
    // sound now holds the cut-off one; it is freed here, outside the lock.
}

void AudioOutput::close()
{
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    if (m_initialised || m_driverMissing)
        SDL_Quit();
    m_device = 0;
    m_initialised = false;
    m_driverMissing = false;
    m_nextAttempt = {};
    m_sound.reset();
}

void AudioOutput::fill(void *userdata, unsigned char *stream, int length)
{
    auto &self = *static_cast<AudioOutput *>(userdata);
    const int written = self.m_sound ? self.m_sound->read(stream, length) : 0;
    std::memset(stream + written, self.m_silence, size_t(length - written));
    self.m_framesDelivered.fetch_add(quint64(length / self.m_frameBytes),
                                     std::memory_order_acq_rel);
}
