// SPDX-License-Identifier: MIT
// The alert tone, which the program plays when a sound file cannot be played.
#include "portablemath.h"
#include "soundconstants.h"
#include "sounds.h"
#include "synth.h"

#include <algorithm>

namespace sounds {

// A struck bell: a 5 ms attack and release against clicks, and an
// exponential decay gentle enough to stay above 8-bit silence to its end.
std::vector<double> alert()
{
    const auto frames = int(kSampleRate * kAlertMilliseconds / 1000);
    const double edge = 0.005 * kSampleRate;
    std::vector<double> signal(size_t(frames), 0.0);
    for (int frame = 0; frame < frames; ++frame) {
        const double envelope = std::min(1.0, frame / edge) *
                                std::min(1.0, (frames - frame) / edge) *
                                portable::exp(-3.0 * frame / frames);
        signal[size_t(frame)] =
            envelope * portable::sin(synth::kTwoPi * kAlertFrequency * frame / kSampleRate);
    }
    return signal;
}

} // namespace sounds
