// SPDX-License-Identifier: MIT
// The sound thread's body: reading a sound, the device on SDL's queue, its names.
#include "audioworker.h"

#include "alerttone.h"
#include "sdlaudio.h"
#include "soundtable.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the desktop's volume mixer calls the program.
constexpr auto AppName = "Vantory Orbital Laser";
// Every sound of the program is 8-bit mono at this rate; a device opened
// without a sound is opened so.
constexpr int SoundRate = 22050;
// 256 frames at 22.05 kHz are 11.6 ms: a new sound is heard within about one of them.
constexpr int BufferMilliFrames = 256 * 1000 / SoundRate;
// Silence queued after every sound: once it has played the device closes.
constexpr int IdleCloseMilliseconds = 1000;
// How often an open device is looked at while no request comes.
constexpr auto WatchInterval = std::chrono::milliseconds(100);
// A sound that could not start for this long (a stalled server) starts where
// it would be by now, so that it still ends on time.
constexpr auto LateStart = std::chrono::milliseconds(500);
// Far above the largest sound; a bigger file is not one of ours.
constexpr qint64 MaxFileBytes = qint64(64) * 1024 * 1024;

void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

// alsa-lib prints several lines to standard error when no card exists (SDL
// 2.26 leaves its error handler alone). SDL has loaded it already when its
// ALSA driver is chosen; it is silenced there.
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

// The scratch folder is shared, so whatever sits at the path may be a FIFO or
// a device: only a regular file is read, and the open never waits.
QByteArray readRegularFile(const QString &path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info = {};
    QFile file;
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_size <= MaxFileBytes && file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle))
        return file.readAll();
    if (fd >= 0)
        ::close(fd);
    return {};
}

// What the desktop's volume mixer shows while the sound plays.
QByteArray mediaName(const QString &path)
{
    for (const SoundAsset &row : SoundAssets) {
        if (path.endsWith(u'/' + QLatin1String(row.scratchName + 1)))
            return row.title;
    }
    return QFileInfo(path).completeBaseName().toUtf8();
}

SDL_AudioSpec soundSpec(int frequency, SDL_AudioFormat format, int channels)
{
    SDL_AudioSpec spec = {};
    spec.freq = frequency;
    spec.format = format;
    spec.channels = Uint8(channels);
    spec.samples = 1;
    while (spec.samples * 1000 < BufferMilliFrames * frequency)
        spec.samples *= 2;
    return spec;
}

bool sameFormat(const SDL_AudioSpec &a, const SDL_AudioSpec &b)
{
    return a.freq == b.freq && a.format == b.format && a.channels == b.channels;
}

} // namespace

void AudioWorker::run()
{
    pthread_setname_np(pthread_self(), "sound");
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto due = [this] { return m_posted != m_servedTicket; };
        if (m_deviceOpen)
            m_wake.wait_for(lock, WatchInterval, due);
        else
            m_wake.wait(lock, due);
        const Requests requests = std::exchange(m_requests, {});
        const quint64 ticket = m_posted;
        lock.unlock();
        try {
            serve(requests);
        } catch (...) {
            // Even running out of memory here only means silence.
        }
        lock.lock();
        m_servedTicket = ticket;
        m_served.notify_all();
        if (requests.flags & Shutdown)
            return;
    }
}

quint64 AudioWorker::post(const std::function<void(Requests &)> &request)
{
    quint64 ticket = 0;
    {
        const std::lock_guard lock(m_mutex);
        request(m_requests);
        ticket = ++m_posted;
    }
    m_wake.notify_one();
    return ticket;
}

quint64 AudioWorker::request(unsigned requests)
{
    return post([requests](Requests &pending) {
        pending.flags |= requests;
        if (requests & (Close | Shutdown))
            pending.path.reset();
    });
}

quint64 AudioWorker::requestPlay(const QString &path)
{
    const Clock::time_point now = Clock::now();
    return post([&](Requests &pending) {
        pending.path = path;
        pending.playRequested = now;
    });
}

bool AudioWorker::waitServed(quint64 ticket, std::chrono::milliseconds bound)
{
    std::unique_lock lock(m_mutex);
    return m_served.wait_for(lock, bound, [&] { return m_servedTicket >= ticket; });
}

bool AudioWorker::deviceOpen() const
{
    const std::lock_guard lock(m_mutex);
    return m_deviceOpen;
}

AudioFormat AudioWorker::format() const
{
    const std::lock_guard lock(m_mutex);
    return m_format;
}

quint64 AudioWorker::framesDelivered() const
{
    const std::lock_guard lock(m_deviceMutex);
    const quint64 bytes =
        m_device ? m_queuedBytes - m_sdl->SDL_GetQueuedAudioSize(m_device) : m_deliveredAtClose;
    const int frameBytes = SDL_AUDIO_BITSIZE(m_spec.format) / 8 * m_spec.channels;
    return frameBytes > 0 ? bytes / unsigned(frameBytes) : 0;
}

void AudioWorker::serve(const Requests &requests)
{
    if (requests.flags & (Close | Shutdown)) {
        closeDevice();
        quit();
    }
    if (requests.flags & Shutdown)
        return;
    if (requests.flags & Prepare)
        initialise();
    if ((requests.flags & Open) && m_device == 0)
        ensureDevice({soundSpec(SoundRate, AUDIO_U8, 1), {}, AppName});
    if (requests.path)
        start(*requests.path, requests.playRequested);
    else if (m_device != 0)
        watch();
}

void AudioWorker::start(const QString &path, Clock::time_point requested)
{
    if (!initialise())
        return;
    std::optional<Sound> sound = decode(readRegularFile(path));
    if (sound) {
        sound->name = mediaName(path);
    } else {
        sound =
            Sound{soundSpec(sound::AlertToneRate, AUDIO_U8, 1), sound::alertToneSamples(), "Alert"};
    }
    if (!ensureDevice(*sound))
        return;
    const int frameBytes = SDL_AUDIO_BITSIZE(m_spec.format) / 8 * m_spec.channels;
    qsizetype skipped = 0;
    if (const auto late = Clock::now() - requested; late > LateStart) {
        const auto frames = std::chrono::duration_cast<std::chrono::milliseconds>(late).count() *
                            m_spec.freq / 1000;
        skipped = std::min(sound->samples.size(), qsizetype(frames) * frameBytes);
    }
    replaceQueue(sound->samples.constData() + skipped, Uint32(sound->samples.size() - skipped));
}

std::optional<AudioWorker::Sound> AudioWorker::decode(const QByteArray &wav) const
{
    SDL_RWops *source = m_sdl->SDL_RWFromConstMem(wav.constData(), int(wav.size()));
    Sound sound;
    Uint8 *samples = nullptr;
    Uint32 length = 0;
    if (!source || !m_sdl->SDL_LoadWAV_RW(source, 1, &sound.spec, &samples, &length))
        return std::nullopt;
    const int frameBytes = SDL_AUDIO_BITSIZE(sound.spec.format) / 8 * sound.spec.channels;
    if (frameBytes > 0)
        sound.samples = QByteArray(reinterpret_cast<const char *>(samples),
                                   qsizetype(length - length % unsigned(frameBytes)));
    m_sdl->SDL_FreeWAV(samples);
    if (frameBytes <= 0 || sound.spec.freq <= 0)
        return std::nullopt;
    sound.spec = soundSpec(sound.spec.freq, sound.spec.format, sound.spec.channels);
    return sound;
}

// The sound starts with the next buffer the device takes, followed by the
// silence after which the device closes: a whole number of buffers, so that
// every buffer the device takes comes from the queue.
void AudioWorker::replaceQueue(const char *samples, Uint32 bytes)
{
    const int frameBytes = SDL_AUDIO_BITSIZE(m_spec.format) / 8 * m_spec.channels;
    const Uint32 buffer = std::max<Uint32>(1, m_spec.size);
    auto idle = Uint32(m_spec.freq * frameBytes * IdleCloseMilliseconds / 1000);
    idle += (buffer - (bytes + idle) % buffer) % buffer;
    const QByteArray silence(qsizetype(idle), char(m_spec.silence));
    const auto queue = [this](const char *data, Uint32 length) {
        if (length > 0 && m_sdl->SDL_QueueAudio(m_device, data, length) == 0)
            m_queuedBytes += length;
    };
    const std::lock_guard lock(m_deviceMutex);
    m_sdl->SDL_LockAudioDevice(m_device);
    m_queuedBytes -= m_sdl->SDL_GetQueuedAudioSize(m_device);
    m_sdl->SDL_ClearQueuedAudio(m_device);
    // Only the start is queued while the device waits; the rest is long queued when it is due.
    const Uint32 head = std::min(bytes, 16 * buffer);
    queue(samples, head);
    m_sdl->SDL_UnlockAudioDevice(m_device);
    queue(samples + head, bytes - head);
    queue(silence.constData(), idle);
}

void AudioWorker::watch()
{
    if (m_sdl->SDL_GetAudioDeviceStatus(m_device) != SDL_AUDIO_PLAYING) {
        // The device went away (server gone, unplugged): the next sound starts afresh.
        closeDevice();
        quit();
    } else if (m_sdl->SDL_GetQueuedAudioSize(m_device) == 0) {
        closeDevice();
    }
}

bool AudioWorker::ensureDevice(const Sound &sound)
{
    if (m_device != 0 && m_sdl->SDL_GetAudioDeviceStatus(m_device) != SDL_AUDIO_PLAYING) {
        closeDevice();
        quit();
    }
    // PulseAudio and PipeWire read the sound's name when the device opens.
    if (m_device != 0 &&
        (!sameFormat(m_spec, sound.spec) || (m_namesStreams && m_name != sound.name)))
        closeDevice();
    if (m_device != 0)
        return true;
    const bool fresh = !m_initialised;
    if (initialise() && openDevice(sound))
        return true;
    if (fresh)
        return false;
    // A connection that outlived its sound server fails every open; a new one may not.
    quit();
    return initialise() && openDevice(sound);
}

bool AudioWorker::initialise()
{
    if (m_initialised)
        return true;
    m_sdl = SdlAudio::load();
    if (!m_sdl)
        return false;
    // The program handles its own signals.
    m_sdl->SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    m_sdl->SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, AppName);
    m_sdl->SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "game");
    if (m_sdl->SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    m_initialised = true;
    const char *driver = m_sdl->SDL_GetCurrentAudioDriver();
    m_namesStreams =
        driver && (std::strcmp(driver, "pulseaudio") == 0 || std::strcmp(driver, "pipewire") == 0);
    if (driver && std::strcmp(driver, "alsa") == 0)
        silenceAlsa();
    return true;
}

bool AudioWorker::openDevice(const Sound &sound)
{
    m_sdl->SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, sound.name.constData());
    SDL_AudioSpec obtained = {};
    // No changes allowed: SDL converts when the server wants another format.
    const SDL_AudioDeviceID device =
        m_sdl->SDL_OpenAudioDevice(nullptr, 0, &sound.spec, &obtained, 0);
    if (device == 0)
        return false;
    {
        const std::lock_guard lock(m_deviceMutex);
        m_device = device;
        m_spec = obtained;
        m_queuedBytes = 0;
    }
    m_name = sound.name;
    replaceQueue(nullptr, 0);
    {
        const std::lock_guard lock(m_mutex);
        m_format = {obtained.freq, obtained.channels, obtained.format, obtained.samples};
        m_deviceOpen = true;
    }
    // A new device starts paused.
    m_sdl->SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void AudioWorker::closeDevice()
{
    if (m_device == 0)
        return;
    SDL_AudioDeviceID device = 0;
    {
        const std::lock_guard lock(m_deviceMutex);
        // Paused, the device takes nothing more from the queue: the count is final.
        m_sdl->SDL_PauseAudioDevice(m_device, 1);
        m_deliveredAtClose = m_queuedBytes - m_sdl->SDL_GetQueuedAudioSize(m_device);
        device = std::exchange(m_device, 0);
    }
    m_sdl->SDL_CloseAudioDevice(device);
    const std::lock_guard lock(m_mutex);
    m_deviceOpen = false;
}

void AudioWorker::quit()
{
    if (m_initialised)
        m_sdl->SDL_Quit();
    m_initialised = false;
}
