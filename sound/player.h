// SPDX-License-Identifier: MIT
// What the rest of the program calls to play a sound.
#pragma once

#include <QString>

#include <functional>

namespace sound {

// Plays the WAV file at path asynchronously, cutting off whatever the program
// is playing. An unplayable file gives the alert tone; no audio means silence.
// Returns at once and reports nothing.
void play(const QString &path);

// Loads the sound library in the background, so that the first play is as
// quick as the next; until then the program does not map it. Returns at once.
void prepare();

// Tests may watch play requests; when a watcher is set, it is told each path
// before the sound is started.
void setPlayWatcher(std::function<void(const QString &path)> watcher);

} // namespace sound
