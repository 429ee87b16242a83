// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

namespace sound {

inline constexpr int AlertToneRate = 22050;
inline constexpr int AlertToneFrequency = 880;
inline constexpr int AlertToneMilliseconds = 200;

// The program's default alert sound, played when a file cannot be: a short
// fading tone, as a complete 16-bit mono WAV file.
QByteArray alertToneWav();

} // namespace sound
