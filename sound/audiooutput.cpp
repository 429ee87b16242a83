// SPDX-License-Identifier: MIT
// The sound thread: its requests, reading and decoding the sound files, and
// the device on SDL's queue.
#include "audiooutput.h"

#include "sdllibrary.h"
#include "soundtable.h"

#include <QFile>
#include <QFileInfo>

#include <SDL.h>

#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// What the desktop's volume mixer calls the program.
constexpr auto AppName = "Vantory Orbital Laser";
// Every sound of the program is 8-bit mono at this rate.
constexpr int SoundRate = 22050;
// 256 frames at 22.05 kHz are 11.6 ms: a new sound is heard within about one
// of them. Rounded down to 11, it still makes the buffer 256 frames at that rate.
constexpr int BufferMilliseconds = 256 * 1000 / SoundRate;
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

// alsa-lib prints several lines to standard error when no card exists, and
// SDL 2.26 leaves its error handler alone: it is silenced once SDL's ALSA
// driver has loaded it. QLibrary would load alsa-lib where SDL has not, so
// dlopen is asked only for a library already loaded.
void silenceAlsa()
{
    void *alsa = ::dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!alsa)
        return;
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    if (auto set = reinterpret_cast<int (*)(Handler)>(::dlsym(alsa, "snd_lib_error_set_handler")))
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

int frameBytes(const SDL_AudioSpec &spec)
{
    return SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
}

// The device buffer in the sound's format: about BufferMilliseconds long.
SDL_AudioSpec deviceSpec(int frequency, SDL_AudioFormat format, int channels)
{
    SDL_AudioSpec spec = {};
    spec.freq = frequency;
    spec.format = format;
    spec.channels = Uint8(channels);
    spec.samples = 1;
    while (spec.samples * 1000 < BufferMilliseconds * frequency)
        spec.samples *= 2;
    return spec;
}

} // namespace

AudioOutput &AudioOutput::instance()
{
    // Never destroyed: the thread may still be in the sound server after the wait at exit.
    static auto *const output = new AudioOutput;
    [[maybe_unused]] static const int atExit = std::atexit([] { output->close(ExitWait); });
    return *output;
}

AudioOutput::AudioOutput()
{
    // SDL 2.26 gives PulseAudio the program's name but not its icon, and the
    // stream's role only to PipeWire; PulseAudio (and PipeWire's server for
    // it) takes both from here.
    if (!qEnvironmentVariableIsSet("PULSE_PROP_application.icon_name"))
        qputenv("PULSE_PROP_application.icon_name", "io.github.vantory.laser");
    if (!qEnvironmentVariableIsSet("PULSE_PROP_media.role"))
        qputenv("PULSE_PROP_media.role", "game");
    std::thread([this] { run(); }).detach();
}

// Leaves the request for the sound thread and waits at most `wait` for it to be served.
bool AudioOutput::post(std::optional<QString> path, std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    if (path)
        m_requested = Clock::now();
    else
        m_closeRequested = true;
    m_path = std::move(path);
    const quint64 ticket = ++m_posted;
    // Woken after the unlock, the thread never waits for the caller's mutex.
    lock.unlock();
    m_changed.notify_all();
    if (wait.count() == 0)
        return false;
    lock.lock();
    return m_changed.wait_for(lock, wait, [&] { return m_served >= ticket; });
}

void AudioOutput::run()
{
    pthread_setname_np(pthread_self(), "sound");
    initialise();
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto due = [this] { return m_posted != m_served; };
        if (m_device != 0)
            m_changed.wait_for(lock, WatchInterval, due);
        else
            m_changed.wait(lock, due);
        const bool close = std::exchange(m_closeRequested, false);
        const std::optional<QString> path = std::exchange(m_path, std::nullopt);
        const Clock::time_point requested = m_requested;
        const quint64 ticket = m_posted;
        lock.unlock();
        // Whatever goes wrong with a sound, even running out of memory, only means silence.
        try {
            serve(close, path, requested);
        } catch (...) { // NOLINT(bugprone-empty-catch): silence is how a failure here is handled
        }
        lock.lock();
        m_served = ticket;
        m_changed.notify_all();
    }
}

void AudioOutput::serve(bool close, const std::optional<QString> &path, Clock::time_point requested)
{
    // A device gone with its server or unplugged: the next sound starts SDL afresh.
    if (close ||
        (m_device != 0 && m_sdl->SDL_GetAudioDeviceStatus(m_device) != SDL_AUDIO_PLAYING)) {
        closeDevice();
        quit();
    }
    if (path)
        start(*path, requested);
    else if (m_device != 0 && m_sdl->SDL_GetQueuedAudioSize(m_device) == 0)
        closeDevice();
}

void AudioOutput::start(const QString &path, Clock::time_point requested)
{
    if (!initialise())
        return;
    std::optional<Clip> clip = decode(readRegularFile(path), mediaName(path));
    if (!clip) {
        QFile alert(QStringLiteral(":/sounds/alert.wav"));
        clip = decode(alert.open(QIODevice::ReadOnly) ? alert.readAll() : QByteArray(), "Alert");
    }
    if (!clip || !ensureDevice(*clip))
        return;
    qsizetype skipped = 0;
    if (const auto late = Clock::now() - requested; late > LateStart) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(late).count();
        skipped = qsizetype(ms * m_spec.freq / 1000) * frameBytes(m_spec);
    }
    replaceQueue(clip->samples.mid(skipped));
}

std::optional<AudioOutput::Clip> AudioOutput::decode(const QByteArray &wav, QByteArray name) const
{
    Clip clip{{}, {}, std::move(name)};
    Uint8 *samples = nullptr;
    Uint32 length = 0;
    SDL_RWops *source = m_sdl->SDL_RWFromConstMem(wav.constData(), int(wav.size()));
    if (!source || !m_sdl->SDL_LoadWAV_RW(source, 1, &clip.spec, &samples, &length))
        return std::nullopt;
    const int frame = frameBytes(clip.spec);
    if (frame > 0)
        clip.samples = QByteArray(reinterpret_cast<const char *>(samples),
                                  qsizetype(length - length % unsigned(frame)));
    m_sdl->SDL_FreeWAV(samples);
    if (frame <= 0 || clip.spec.freq <= 0)
        return std::nullopt;
    clip.spec = deviceSpec(clip.spec.freq, clip.spec.format, clip.spec.channels);
    return clip;
}

bool AudioOutput::ensureDevice(const Clip &clip)
{
    // PulseAudio and PipeWire read the sound's name when the device opens.
    const SDL_AudioSpec &want = clip.spec;
    if (m_device != 0 &&
        (want.freq != m_spec.freq || want.format != m_spec.format ||
         want.channels != m_spec.channels || (m_namesStreams && m_name != clip.name)))
        closeDevice();
    if (m_device != 0 || (m_initialised && openDevice(clip)))
        return true;
    // A connection that outlived its sound server fails every open; a new one may not.
    quit();
    return initialise() && openDevice(clip);
}

bool AudioOutput::initialise()
{
    if (!m_sdl)
        m_sdl = SdlLibrary::load();
    if (m_initialised || !m_sdl)
        return m_initialised;
    // The program handles its own signals.
    m_sdl->SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    m_sdl->SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, AppName);
    m_sdl->SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "game");
    if (m_sdl->SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    m_initialised = true;
    const QByteArrayView driver(m_sdl->SDL_GetCurrentAudioDriver());
    m_namesStreams = driver == "pulseaudio" || driver == "pipewire";
    if (driver == "alsa")
        silenceAlsa();
    return true;
}

bool AudioOutput::openDevice(const Clip &clip)
{
    m_sdl->SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, clip.name.constData());
    // No changes allowed: SDL converts when the server wants another format.
    m_device = m_sdl->SDL_OpenAudioDevice(nullptr, 0, &clip.spec, &m_spec, 0);
    if (m_device == 0)
        return false;
    m_name = clip.name;
    return true;
}

// The sound starts with the next buffer the device takes, followed by the
// silence after which the device closes: a whole number of buffers, so that
// every buffer the device takes comes from the queue.
void AudioOutput::replaceQueue(QByteArray samples)
{
    const auto buffer = qsizetype(std::max<Uint32>(1, m_spec.size));
    qsizetype idle = m_spec.freq * frameBytes(m_spec) * IdleCloseMilliseconds / 1000;
    idle += (buffer - (samples.size() + idle) % buffer) % buffer;
    samples.append(idle, char(m_spec.silence));
    // Only the start is queued while the device waits; the rest is long queued when it is due.
    const qsizetype head = std::min(samples.size(), 16 * buffer);
    m_sdl->SDL_LockAudioDevice(m_device);
    m_sdl->SDL_ClearQueuedAudio(m_device);
    m_sdl->SDL_QueueAudio(m_device, samples.constData(), Uint32(head));
    m_sdl->SDL_UnlockAudioDevice(m_device);
    m_sdl->SDL_QueueAudio(m_device, samples.constData() + head, Uint32(samples.size() - head));
    // A new device starts paused, so that the first buffer it takes is the sound's.
    m_sdl->SDL_PauseAudioDevice(m_device, 0);
}

void AudioOutput::closeDevice()
{
    if (m_device != 0)
        m_sdl->SDL_CloseAudioDevice(std::exchange(m_device, 0));
}

void AudioOutput::quit()
{
    if (m_initialised)
        m_sdl->SDL_Quit();
    m_initialised = false;
}
