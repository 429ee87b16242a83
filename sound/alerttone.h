// SPDX-License-Identifier: MIT
// The tone played when a sound file cannot be.
#pragma once

#include <QByteArray>

namespace sound {

inline constexpr int AlertToneRate = 22050;
inline constexpr int AlertToneFrequency = 880;
inline constexpr int AlertToneMilliseconds = 200;

// The program's default alert sound: a short fading tone as bare samples in
// the format of every other sound, 8-bit mono at AlertToneRate.
QByteArray alertToneSamples();

} // namespace sound
