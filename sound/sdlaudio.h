// SPDX-License-Identifier: MIT
#pragma once

#include <SDL.h>

// The few SDL functions playback uses, resolved from libSDL2 at run time.
// Linking SDL would map it and the thirty libraries it pulls in before the
// first frame, though nothing plays until the first sound.
struct SdlAudio {
    decltype(&SDL_SetHint) setHint;
    decltype(&SDL_InitSubSystem) initSubSystem;
    decltype(&SDL_Quit) quit;
    decltype(&SDL_GetCurrentAudioDriver) currentDriver;
    decltype(&SDL_OpenAudioDevice) openDevice;
    decltype(&SDL_CloseAudioDevice) closeDevice;
    decltype(&SDL_PauseAudioDevice) pauseDevice;
    decltype(&SDL_GetAudioDeviceStatus) deviceStatus;
    decltype(&SDL_LockAudioDevice) lockDevice;
    decltype(&SDL_UnlockAudioDevice) unlockDevice;
    decltype(&SDL_QueueAudio) queue;
    decltype(&SDL_ClearQueuedAudio) clearQueue;
    decltype(&SDL_GetQueuedAudioSize) queuedSize;
    decltype(&SDL_RWFromConstMem) fromMemory;
    decltype(&SDL_LoadWAV_RW) loadWav;
    decltype(&SDL_FreeWAV) freeWav;

    // Null when libSDL2 is missing or lacks one of them: the program is then
    // silent. Loaded once and kept to the end of the process.
    static const SdlAudio *load();
};
