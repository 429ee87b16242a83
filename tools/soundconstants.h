// SPDX-License-Identifier: MIT
#pragma once

// Every sound of the program is 8-bit mono at this rate.
inline constexpr double kSampleRate = 22050.0;

// The alert tone: a short bell at this pitch, this long.
inline constexpr double kAlertFrequency = 880.0;
inline constexpr int kAlertMilliseconds = 200;
