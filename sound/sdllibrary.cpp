// SPDX-License-Identifier: MIT
// Loading libSDL2 for the sound thread's table. The one function is alone in
// this file so that a test program can link a table of its own instead
// (tests/deviceprobe.cpp), to watch what the thread asks of SDL.
#include "sdllibrary.h"

#include <QLibrary>

namespace {

template <typename Function> bool resolve(QLibrary &library, Function &function, const char *name)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

} // namespace

const SdlLibrary *SdlLibrary::load()
{
    // Never unloaded, and its QLibrary never destroyed (Qt unloads at exit a
    // library whose QLibrary is gone): the sound thread may still be in SDL
    // after the bounded wait at exit.
    static QLibrary *const library = [] {
        auto *sdl = new QLibrary(QStringLiteral("SDL2-2.0"), 0);
        sdl->setLoadHints(QLibrary::ResolveAllSymbolsHint | QLibrary::PreventUnloadHint);
        return sdl;
    }();
    static SdlLibrary sdl = {};
    // The name is given once, for the member and the symbol alike.
#define LASER_RESOLVE(function) resolve(*library, sdl.function, #function)
    const bool found =
        library->load() && LASER_RESOLVE(SDL_SetHint) && LASER_RESOLVE(SDL_InitSubSystem) &&
        LASER_RESOLVE(SDL_Quit) && LASER_RESOLVE(SDL_GetCurrentAudioDriver) &&
        LASER_RESOLVE(SDL_OpenAudioDevice) && LASER_RESOLVE(SDL_CloseAudioDevice) &&
        LASER_RESOLVE(SDL_PauseAudioDevice) && LASER_RESOLVE(SDL_GetAudioDeviceStatus) &&
        LASER_RESOLVE(SDL_LockAudioDevice) && LASER_RESOLVE(SDL_UnlockAudioDevice) &&
        LASER_RESOLVE(SDL_QueueAudio) && LASER_RESOLVE(SDL_ClearQueuedAudio) &&
        LASER_RESOLVE(SDL_GetQueuedAudioSize) && LASER_RESOLVE(SDL_RWFromConstMem) &&
        LASER_RESOLVE(SDL_LoadWAV_RW) && LASER_RESOLVE(SDL_FreeWAV);
#undef LASER_RESOLVE
    return found ? &sdl : nullptr;
}
