// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <SDL_audio.h>

#include <vector>

// The sound thread's audio device, watched from a test. A program that links
// deviceprobe.cpp hands the sound thread a table of its own (SdlLibrary::load):
// SDL's own functions, which note on the way when the device opens and
// closes and how much of its queue it has played.
namespace deviceprobe {

// Closes the device and SDL's audio, as the program does at its end, but
// waits as long as any healthy sound server needs: false when the thread is
// still busy after that.
bool closeOutput();

// Whether a device is open: false only once SDL has closed it, so that its
// output is all written.
bool isOpen();
// Devices opened so far.
int opened();
// Times the sound thread has started SDL's audio, or tried to.
int audioStarts();
// The format of the device opened last (samples: frames per buffer).
SDL_AudioSpec format();
// Frames the device has taken from its queue since it opened; once it has
// closed, all it took.
quint64 framesDelivered();

struct Recording {
    std::vector<qint16> frames;
    // Frames the driver wrote before the device first took from its queue.
    qint64 offset = 0;
};
// What SDL's disk driver wrote to the file, widened, up to the device's last closing.
Recording recording(const QString &file);

} // namespace deviceprobe
