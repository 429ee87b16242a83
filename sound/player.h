// SPDX-License-Identifier: MIT
// What the rest of the program calls to play a sound.
#pragma once

#include <QString>

namespace player {

// Plays the WAV file at path asynchronously, cutting off whatever the program
// is playing. An unplayable file gives the alert tone; no audio means silence.
// Returns at once and reports nothing.
void play(const QString &path) noexcept;

// Loads the sound library in the background, so that the first play is as
// quick as the next; until then the program does not map it. Returns at once.
void prepare() noexcept;

} // namespace player
