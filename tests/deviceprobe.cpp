// SPDX-License-Identifier: MIT
#include "deviceprobe.h"

#include "audiooutput.h"
#include "programrun.h"
#include "sdllibrary.h"

#include <chrono>
#include <mutex>

namespace {

// Taken before the device's own lock wherever both are held, so that a test
// reading the queue never waits for the sound thread while it waits for the test.
std::recursive_mutex mutex;
SDL_AudioDeviceID device = 0;
SDL_AudioSpec spec = {};
// Queued since the device opened, less what was cleared; once it has closed,
// what it took.
quint64 queuedBytes = 0;
int devicesOpened = 0;
int devicesClosed = 0;
int starts = 0;

template <typename Work> auto locked(const Work &work)
{
    const std::lock_guard lock(mutex);
    return work();
}

int initSubSystem(Uint32 flags)
{
    locked([] { ++starts; });
    return SDL_InitSubSystem(flags);
}

SDL_AudioDeviceID openDevice(const char *name, int capture, const SDL_AudioSpec *desired,
                             SDL_AudioSpec *obtained, int changes)
{
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(name, capture, desired, obtained, changes);
    if (id != 0) {
        locked([&] {
            device = id;
            spec = *obtained;
            queuedBytes = 0;
            ++devicesOpened;
        });
    }
    return id;
}

void closeDevice(SDL_AudioDeviceID id)
{
    locked([id] {
        // Paused, the device takes nothing more from its queue: the count is final.
        SDL_PauseAudioDevice(id, 1);
        queuedBytes -= SDL_GetQueuedAudioSize(id);
        device = 0;
    });
    SDL_CloseAudioDevice(id);
    locked([] { ++devicesClosed; });
}

void lockDevice(SDL_AudioDeviceID id)
{
    mutex.lock();
    SDL_LockAudioDevice(id);
}

void unlockDevice(SDL_AudioDeviceID id)
{
    SDL_UnlockAudioDevice(id);
    mutex.unlock();
}

int queueAudio(SDL_AudioDeviceID id, const void *data, Uint32 length)
{
    const std::lock_guard lock(mutex);
    queuedBytes += length;
    return SDL_QueueAudio(id, data, length);
}

void clearQueuedAudio(SDL_AudioDeviceID id)
{
    const std::lock_guard lock(mutex);
    queuedBytes -= SDL_GetQueuedAudioSize(id);
    SDL_ClearQueuedAudio(id);
}

} // namespace

const SdlLibrary *SdlLibrary::load()
{
    static const SdlLibrary sdl = {
        .SDL_SetHint = ::SDL_SetHint,
        .SDL_InitSubSystem = initSubSystem,
        .SDL_Quit = ::SDL_Quit,
        .SDL_GetCurrentAudioDriver = ::SDL_GetCurrentAudioDriver,
        .SDL_OpenAudioDevice = openDevice,
        .SDL_CloseAudioDevice = closeDevice,
        .SDL_PauseAudioDevice = ::SDL_PauseAudioDevice,
        .SDL_GetAudioDeviceStatus = ::SDL_GetAudioDeviceStatus,
        .SDL_LockAudioDevice = lockDevice,
        .SDL_UnlockAudioDevice = unlockDevice,
        .SDL_QueueAudio = queueAudio,
        .SDL_ClearQueuedAudio = clearQueuedAudio,
        .SDL_GetQueuedAudioSize = ::SDL_GetQueuedAudioSize,
        .SDL_RWFromConstMem = ::SDL_RWFromConstMem,
        .SDL_LoadWAV_RW = ::SDL_LoadWAV_RW,
        .SDL_FreeWAV = ::SDL_FreeWAV,
    };
    return &sdl;
}

namespace deviceprobe {

bool closeOutput()
{
    return AudioOutput::instance().close(std::chrono::seconds(10));
}

bool isOpen()
{
    return locked([] { return devicesOpened > devicesClosed; });
}

int opened()
{
    return locked([] { return devicesOpened; });
}

int audioStarts()
{
    return locked([] { return starts; });
}

SDL_AudioSpec format()
{
    return locked([] { return spec; });
}

quint64 framesDelivered()
{
    return locked([] {
        const quint64 bytes = queuedBytes - (device ? SDL_GetQueuedAudioSize(device) : 0);
        const int frame = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
        return frame > 0 ? bytes / unsigned(frame) : 0;
    });
}

Recording recording(const QString &file)
{
    Recording recorded{readRecording(file)};
    recorded.offset = qint64(recorded.frames.size()) - qint64(framesDelivered());
    return recorded;
}

} // namespace deviceprobe
