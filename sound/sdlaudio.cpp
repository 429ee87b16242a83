// SPDX-License-Identifier: MIT
#include "sdlaudio.h"

#include <dlfcn.h>

namespace {

template <typename Function> bool resolve(void *library, Function &function, const char *name)
{
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

const SdlAudio *resolveAll()
{
    void *library = ::dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    static SdlAudio sdl = {};
    const bool found =
        resolve(library, sdl.setHint, "SDL_SetHint") &&
        resolve(library, sdl.initSubSystem, "SDL_InitSubSystem") &&
        resolve(library, sdl.quit, "SDL_Quit") &&
        resolve(library, sdl.currentDriver, "SDL_GetCurrentAudioDriver") &&
        resolve(library, sdl.openDevice, "SDL_OpenAudioDevice") &&
        resolve(library, sdl.closeDevice, "SDL_CloseAudioDevice") &&
        resolve(library, sdl.pauseDevice, "SDL_PauseAudioDevice") &&
        resolve(library, sdl.deviceStatus, "SDL_GetAudioDeviceStatus") &&
        resolve(library, sdl.lockDevice, "SDL_LockAudioDevice") &&
        resolve(library, sdl.unlockDevice, "SDL_UnlockAudioDevice") &&
        resolve(library, sdl.queue, "SDL_QueueAudio") &&
        resolve(library, sdl.clearQueue, "SDL_ClearQueuedAudio") &&
        resolve(library, sdl.queuedSize, "SDL_GetQueuedAudioSize") &&
        resolve(library, sdl.fromMemory, "SDL_RWFromConstMem") &&
        resolve(library, sdl.loadWav, "SDL_LoadWAV_RW") &&
        resolve(library, sdl.freeWav, "SDL_FreeWAV");
    return found ? &sdl : nullptr;
}

} // namespace

const SdlAudio *SdlAudio::load()
{
    // Only the sound thread calls this, but a thread left behind at exit may
    // still be loading when the next one starts.
    static const SdlAudio *const sdl = resolveAll();
    return sdl;
}
