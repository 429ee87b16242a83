// SPDX-License-Identifier: MIT
// The SDL functions the sound thread calls, and where it takes them from.
#pragma once

#include <SDL.h>

// Linking SDL would map it and the thirty libraries it pulls in before the
// first frame, though nothing plays until the first sound: the sound thread
// loads it instead and calls it only through this table, in which each member
// is the SDL function of its name.
struct SdlLibrary {
    decltype(&::SDL_SetHint) SDL_SetHint;
    decltype(&::SDL_InitSubSystem) SDL_InitSubSystem;
    decltype(&::SDL_Quit) SDL_Quit;
    decltype(&::SDL_GetCurrentAudioDriver) SDL_GetCurrentAudioDriver;
    decltype(&::SDL_OpenAudioDevice) SDL_OpenAudioDevice;
    decltype(&::SDL_CloseAudioDevice) SDL_CloseAudioDevice;
    decltype(&::SDL_PauseAudioDevice) SDL_PauseAudioDevice;
    decltype(&::SDL_GetAudioDeviceStatus) SDL_GetAudioDeviceStatus;
    decltype(&::SDL_LockAudioDevice) SDL_LockAudioDevice;
    decltype(&::SDL_UnlockAudioDevice) SDL_UnlockAudioDevice;
    decltype(&::SDL_QueueAudio) SDL_QueueAudio;
    decltype(&::SDL_ClearQueuedAudio) SDL_ClearQueuedAudio;
    decltype(&::SDL_GetQueuedAudioSize) SDL_GetQueuedAudioSize;
    decltype(&::SDL_RWFromConstMem) SDL_RWFromConstMem;
    decltype(&::SDL_LoadWAV_RW) SDL_LoadWAV_RW;
    decltype(&::SDL_FreeWAV) SDL_FreeWAV;

    // The table, with libSDL2 loaded; null while libSDL2 is missing or lacks
    // a function, and the program is then silent. The sound thread alone calls it.
    static const SdlLibrary *load();
};
