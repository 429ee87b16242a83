// SPDX-License-Identifier: MIT
// Loading libSDL2 and resolving its functions, once per process.
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
    static SdlAudio sdl;
    bool found = true;
#define LASER_SDL_RESOLVE(function) found = resolve(library, sdl.function, #function) && found;
    LASER_SDL_AUDIO_FUNCTIONS(LASER_SDL_RESOLVE)
#undef LASER_SDL_RESOLVE
    return found ? &sdl : nullptr;
}

} // namespace

const SdlAudio *SdlAudio::load()
{
    // Thread-safe: a thread left behind at exit may still be loading when the next one starts.
    static const SdlAudio *const sdl = resolveAll();
    return sdl;
}
