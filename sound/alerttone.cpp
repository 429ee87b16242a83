// SPDX-License-Identifier: MIT
// The alert tone's samples, computed on the sound thread when a file cannot be played.
#include "alerttone.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sound {

namespace {

// A struck-bell shape: a 5 ms attack against clicks, then an exponential decay
// gentle enough to stay above 8-bit silence to its end.
double envelope(int frame, int frames)
{
    const double attack = std::min(1.0, frame / (0.005 * AlertToneRate));
    const double release = std::min(1.0, (frames - frame) / (0.005 * AlertToneRate));
    return attack * release * std::exp(-3.0 * frame / frames);
}

} // namespace

QByteArray alertToneSamples()
{
    constexpr int frames = AlertToneRate * AlertToneMilliseconds / 1000;
    QByteArray samples(frames, '\0');
    for (int frame = 0; frame < frames; ++frame) {
        const double phase = 2 * std::numbers::pi * AlertToneFrequency * frame / AlertToneRate;
        samples[frame] = char(128 + std::lround(47 * envelope(frame, frames) * std::sin(phase)));
    }
    return samples;
}

} // namespace sound
