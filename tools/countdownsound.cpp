// SPDX-License-Identifier: MIT
#include "portablemath.h"
#include "random.h"
#include "reverb.h"
#include "sounds.h"
#include "svfilter.h"
#include "synth.h"

#include <cmath>

using namespace synth;

namespace {

constexpr int kSamples = 360402;
constexpr double kDuration = kSamples / kSampleRate;

// The charge-up: two detuned saws and a sub an octave down, rising two octaves,
// through a filter that opens and grows more resonant as the charge builds.
class ChargeHum {
public:
    double next(double t)
    {
        const double progress = t / kDuration;
        const double wobble = 1.0 + 0.004 * portable::sin(kTwoPi * 0.7 * t);
        const double frequency = 55.0 * portable::pow(2.0, 2.0 * progress) * wobble;
        const double increment = frequency / kSampleRate;
        m_phaseA = wrap(m_phaseA + increment);
        m_phaseB = wrap(m_phaseB + increment * 1.006);
        m_phaseSub = wrap(m_phaseSub + increment * 0.5);
        m_phaseWhine = wrap(m_phaseWhine + increment * 8.0);
        m_phaseThrob =
            wrap(m_phaseThrob + (3.0 + 9.0 * portable::pow(progress, 1.5)) / kSampleRate);

        const double raw = 0.5 * (saw(m_phaseA, increment) + saw(m_phaseB, increment * 1.006));
        m_filter.setup(250.0 * portable::pow(2.0, 3.5 * progress), 0.9 + 2.2 * progress);
        const double filtered = m_filter.process(raw);
        const double sub = portable::sin(kTwoPi * m_phaseSub);
        const double throb = 0.78 + 0.22 * portable::sin(kTwoPi * m_phaseThrob);
        const double level = (0.16 + 0.28 * portable::pow(progress, 1.3)) * fadeIn(t, 0.0, 0.5);
        const double whine = 0.05 * progress * progress * portable::sin(kTwoPi * m_phaseWhine);
        // Rushing air that rises with the charge.
        m_rush.setup(400.0 * portable::pow(2.0, 3.0 * progress), 2.5);
        m_rush.process(m_random.bipolar());
        const double rush = 0.12 * progress * progress * m_rush.bandpass();
        return level * throb * (0.8 * filtered + 0.45 * sub) + whine + rush;
    }

private:
    SvFilter m_filter;
    SvFilter m_rush;
    Random m_random{0xC0DEULL};
    double m_phaseA = 0.0;
    double m_phaseB = 0.25;
    double m_phaseSub = 0.0;
    double m_phaseWhine = 0.0;
    double m_phaseThrob = 0.75;
};

// One blip a second: a bright tone with a little downward bend, the last three
// pitched up a fifth for the final seconds.
double beep(double t)
{
    const int second = static_cast<int>(std::floor(t));
    const double local = t - second;
    if (local > 0.3) {
        return 0.0;
    }
    const double base = second >= 13 ? 1870.0 : 1250.0;
    const double phase = base * (local - 0.04 * local * local / 0.3);
    const double shape = local < 0.004  ? local / 0.004
                         : local < 0.07 ? 1.0
                                        : portable::exp(-(local - 0.07) / 0.04);
    const double tone = portable::sin(kTwoPi * phase) + 0.22 * portable::sin(2.0 * kTwoPi * phase) +
                        0.08 * portable::sin(3.0 * kTwoPi * phase);
    return 0.36 * shape * tone;
}

} // namespace

namespace sounds {

std::vector<double> countdown()
{
    ChargeHum hum;
    Reverb room(0.72, 0.35);
    std::vector<double> out(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        const double t = timeOf(i);
        const double blip = beep(t);
        const double dry = hum.next(t) + blip;
        const double ending = 1.0 - fadeIn(t, kDuration - 0.12, 0.12);
        out[i] = (dry + 0.25 * room.process(blip)) * ending;
    }
    return out;
}

} // namespace sounds
