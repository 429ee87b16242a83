// SPDX-License-Identifier: MIT
#include "audioworker.h"

#include "alerttone.h"
#include "soundstream.h"

#include <QFile>

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int RequestedRate = 44100;
// 512 frames at 44.1 kHz are 11.6 ms: a new sound is heard within about one of them.
constexpr int RequestedFrames = 512;
// A device that has played silence this long is closed; the next sound opens
// it again in a few milliseconds.
constexpr int IdleCloseMilliseconds = 1000;
// How often an open device is looked at while no request comes.
constexpr auto WatchInterval = std::chrono::milliseconds(100);
// A sound that could not start for this long (a stalled server) starts where
// it would be by now, so that it still ends on time.
constexpr auto LateStart = std::chrono::milliseconds(500);

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

// Far above the largest sound; a bigger file is not one of ours.
constexpr qint64 MaxFileBytes = qint64(64) * 1024 * 1024;

// The scratch folder is shared, so whatever sits at the path may be a FIFO or
// a device: only a regular file is read, and the open never waits.
QByteArray readRegularFile(const QString &path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes;
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= MaxFileBytes) {
        bytes.resize(qsizetype(info.st_size));
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        bytes.truncate(done);
    }
    ::close(fd);
    return bytes;
}

// Never destroyed: a thread left behind at the end of the process may still
// reach for it while static objects are being torn down.
const QByteArray &alertTone()
{
    static const QByteArray &tone = *new QByteArray(sound::alertToneWav());
    return tone;
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
        if (requests.shutdown)
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

quint64 AudioWorker::requestPlay(const QString &path)
{
    const Clock::time_point now = Clock::now();
    return post([&](Requests &requests) {
        requests.path = path;
        requests.playRequested = now;
    });
}

quint64 AudioWorker::requestOpen()
{
    return post([](Requests &requests) { requests.open = true; });
}

quint64 AudioWorker::requestClose()
{
    return post([](Requests &requests) {
        requests.close = true;
        requests.path.reset();
    });
}

quint64 AudioWorker::requestShutdown()
{
    return post([](Requests &requests) { requests.shutdown = true; });
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

void AudioWorker::serve(const Requests &requests)
{
    if (requests.close || requests.shutdown) {
        closeDevice();
        quit();
    }
    if (requests.shutdown)
        return;
    if (requests.open)
        ensureDevice();
    if (requests.path)
        start(*requests.path, requests.playRequested);
    else if (m_device != 0)
        watch();
}

void AudioWorker::start(const QString &path, Clock::time_point requested)
{
    if (!ensureDevice())
        return;
    const auto format = SDL_AudioFormat(m_format.sdlFormat);
    std::unique_ptr<SoundStream> sound =
        SoundStream::fromWav(readRegularFile(path), format, m_format.channels, m_format.frequency);
    if (!sound)
        sound = SoundStream::fromWav(alertTone(), format, m_format.channels, m_format.frequency);
    if (!sound)
        return;
    const auto late = Clock::now() - requested;
    if (late > LateStart)
        sound->skip(std::chrono::duration<double>(late).count());
    m_feed.offer(std::move(sound));
}

void AudioWorker::watch()
{
    m_feed.collect();
    if (SDL_GetAudioDeviceStatus(m_device) != SDL_AUDIO_PLAYING) {
        // The device went away (server gone, unplugged): the next sound starts afresh.
        closeDevice();
        quit();
        return;
    }
    if (m_feed.idleFrames() >= quint64(m_format.frequency) * IdleCloseMilliseconds / 1000)
        closeDevice();
}

bool AudioWorker::ensureDevice()
{
    if (m_device != 0 && SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_PLAYING)
        return true;
    if (m_device != 0) {
        closeDevice();
        quit();
    }
    const bool fresh = !m_initialised;
    if (initialise() && openDevice())
        return true;
    if (fresh)
        return false;
    // A connection that outlived its sound server fails every open; a new one may not.
    quit();
    return initialise() && openDevice();
}

bool AudioWorker::initialise()
{
    if (m_initialised)
        return true;
    // The program handles its own signals.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    m_initialised = true;
    // SDL builds its resampler's filter with the first stream that resamples;
    // done here, it is out of the way of the first sound.
    SDL_FreeAudioStream(SDL_NewAudioStream(AUDIO_U8, 1, 22050, AUDIO_S16SYS, 1, RequestedRate));
    const char *driver = SDL_GetCurrentAudioDriver();
    if (driver && std::strcmp(driver, "alsa") == 0)
        silenceAlsa();
    return true;
}

bool AudioWorker::openDevice()
{
    SDL_AudioSpec wanted = {};
    wanted.freq = RequestedRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = RequestedFrames;
    wanted.callback = &AudioFeed::fill;
    wanted.userdata = &m_feed;
    SDL_AudioSpec obtained = {};
    const int changes = SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_FORMAT_CHANGE |
                        SDL_AUDIO_ALLOW_CHANNELS_CHANGE;
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, changes);
    if (m_device == 0)
        return false;
    m_feed.reset(std::max(1, int(SDL_AUDIO_BITSIZE(obtained.format)) / 8 * obtained.channels),
                 obtained.silence);
    {
        const std::lock_guard lock(m_mutex);
        m_format = {obtained.freq, obtained.channels, obtained.format, obtained.samples};
        m_deviceOpen = true;
    }
    // A new device starts paused; the callback runs from here on.
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void AudioWorker::closeDevice()
{
    if (m_device == 0)
        return;
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
    m_feed.clear();
    const std::lock_guard lock(m_mutex);
    m_deviceOpen = false;
}

void AudioWorker::quit()
{
    SDL_Quit();
    m_initialised = false;
}
