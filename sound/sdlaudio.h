// SPDX-License-Identifier: MIT
// The SDL functions playback uses, loaded from libSDL2 at run time.
#pragma once

#include <SDL.h>

#define LASER_SDL_AUDIO_FUNCTIONS(X)                                                               \
    X(SDL_SetHint)                                                                                 \
    X(SDL_InitSubSystem)                                                                           \
    X(SDL_Quit)                                                                                    \
    X(SDL_GetCurrentAudioDriver)                                                                   \
    X(SDL_OpenAudioDevice)                                                                         \
    X(SDL_CloseAudioDevice)                                                                        \
    X(SDL_PauseAudioDevice)                                                                        \
    X(SDL_GetAudioDeviceStatus)                                                                    \
    X(SDL_LockAudioDevice)                                                                         \
    X(SDL_UnlockAudioDevice)                                                                       \
    X(SDL_QueueAudio)                                                                              \
    X(SDL_ClearQueuedAudio)                                                                        \
    X(SDL_GetQueuedAudioSize)                                                                      \
    X(SDL_RWFromConstMem)                                                                          \
    X(SDL_LoadWAV_RW)                                                                              \
    X(SDL_FreeWAV)

// Linking SDL would map it and the thirty libraries it pulls in before the
// first frame, though nothing plays until the first sound. Each member is
// the SDL function of its name.
struct SdlAudio {
// The name is declared, so it cannot be in parentheses.
// NOLINTNEXTLINE(bugprone-macro-parentheses)
#define LASER_SDL_MEMBER(function) decltype(&::function) function = nullptr;
    LASER_SDL_AUDIO_FUNCTIONS(LASER_SDL_MEMBER)
#undef LASER_SDL_MEMBER

    // Null when libSDL2 is missing or lacks one of them: the program is then
    // silent. Loaded once and kept to the end of the process.
    static const SdlAudio *load();
};
