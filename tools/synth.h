// SPDX-License-Identifier: MIT
#pragma once

#include "portablemath.h"
#include "soundconstants.h"

#include <cmath>
#include <numbers>

// Small building blocks shared by the three sound recipes.
namespace synth {

inline constexpr double kTwoPi = 2.0 * std::numbers::pi;

inline double timeOf(int index)
{
    return index / kSampleRate;
}

// Linear attack, then exponential decay with the given time constant.
inline double envelope(double t, double attack, double decay)
{
    if (t < 0.0) {
        return 0.0;
    }
    if (t < attack) {
        return t / attack;
    }
    return portable::exp(-(t - attack) / decay);
}

// Raised-cosine fade over [start, start + length], 0 before and 1 after.
inline double fadeIn(double t, double start, double length)
{
    if (t <= start) {
        return 0.0;
    }
    if (t >= start + length) {
        return 1.0;
    }
    return 0.5 - 0.5 * portable::cos(std::numbers::pi * (t - start) / length);
}

inline double wrap(double phase)
{
    return phase - std::floor(phase);
}

// Band-limited sawtooth (polyBLEP): the hum would alias badly at 22 kHz otherwise.
inline double saw(double phase, double increment)
{
    double value = 2.0 * phase - 1.0;
    if (phase < increment) {
        const double t = phase / increment;
        value -= t + t - t * t - 1.0;
    } else if (phase > 1.0 - increment) {
        const double t = (phase - 1.0) / increment;
        value -= t * t + t + t + 1.0;
    }
    return value;
}

inline double softClip(double value, double drive)
{
    return portable::tanh(value * drive) / portable::tanh(drive);
}

} // namespace synth
