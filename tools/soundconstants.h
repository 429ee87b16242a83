// SPDX-License-Identifier: MIT
#pragma once

// Every sound of the program is 8-bit mono at this rate.
inline constexpr double kSampleRate = 22050.0;
