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

constexpr int kSamples = 114159;
constexpr double kDuration = kSamples / kSampleRate;

// The hard low hit: a sine whose pitch falls from about 150 Hz to 38 Hz.
class Thump {
public:
    double next(double t)
    {
        const double frequency = 38.0 + 112.0 * portable::exp(-t / 0.07);
        m_phase = wrap(m_phase + frequency / kSampleRate);
        return envelope(t, 0.0015, 0.38) * portable::sin(kTwoPi * m_phase);
    }

private:
    double m_phase = 0.0;
};

// The blast: white noise through a low-pass that closes from bright to dull,
// with a short crack of unfiltered noise on top.
class Burst {
public:
    explicit Burst(Random &random)
        : m_random(random)
    {
    }

    double next(double t)
    {
        const double white = m_random.bipolar();
        m_filter.setup(250.0 + 7000.0 * portable::exp(-t / 0.22), 0.8);
        const double body = m_filter.process(white) * envelope(t, 0.004, 0.5);
        const double crack = white * envelope(t, 0.0005, 0.018);
        return 0.9 * body + 0.6 * crack;
    }

private:
    Random &m_random;
    SvFilter m_filter;
};

// The long roll: deep filtered noise whose loudness wanders, like thunder
// echoing off the ground; it swells again briefly a second in.
class Rumble {
public:
    explicit Rumble(Random &random)
        : m_random(random)
    {
        m_deep.setup(110.0, 0.7);
        m_deeper.setup(160.0, 0.6);
        m_wander.setup(4.0, 0.5);
    }

    double next(double t)
    {
        const double white = m_random.bipolar();
        m_deep.process(white);
        const double low = m_deeper.process(m_deep.lowpass());
        m_wander.process(m_random.bipolar());
        const double roll = 1.0 + 18.0 * m_wander.lowpass();
        const double swell = 1.0 + 0.6 * envelope(t - 0.9, 0.35, 0.6);
        const double shape = fadeIn(t, 0.0, 0.06) * portable::exp(-t / 1.5) * swell;
        return 9.0 * low * shape * std::max(0.2, roll);
    }

private:
    Random &m_random;
    SvFilter m_deep;
    SvFilter m_deeper;
    SvFilter m_wander;
};

// The middle of the roll, which small speakers can still play: band-passed
// noise that decays more slowly than the blast and wobbles in level.
class Roll {
public:
    explicit Roll(Random &random)
        : m_random(random)
    {
        m_band.setup(420.0, 0.9);
        m_wander.setup(6.0, 0.5);
    }

    double next(double t)
    {
        m_band.process(m_random.bipolar());
        m_wander.process(m_random.bipolar());
        const double wobble = std::max(0.15, 1.0 + 14.0 * m_wander.lowpass());
        return m_band.bandpass() * wobble * fadeIn(t, 0.0, 0.03) * portable::exp(-t / 0.9);
    }

private:
    Random &m_random;
    SvFilter m_band;
    SvFilter m_wander;
};

// Debris: short bright crackles, thick at first and thinning out.
class Crackle {
public:
    explicit Crackle(Random &random)
        : m_random(random)
    {
        m_filter.setup(2400.0, 1.4);
    }

    double next(double t)
    {
        const double density = 0.004 * portable::exp(-t / 0.7);
        if (t > 0.08 && m_random.chance(density)) {
            m_level = 0.15 + 0.35 * m_random.uniform();
        }
        m_level *= 0.9965;
        m_filter.process(m_random.bipolar() * m_level);
        return m_filter.bandpass();
    }

private:
    Random &m_random;
    SvFilter m_filter;
    double m_level = 0.0;
};

} // namespace

namespace sounds {

std::vector<double> boom()
{
    Random random(0xB00FULL);
    Thump thump;
    Burst burst(random);
    Rumble rumble(random);
    Crackle crackle(random);
    Roll roll(random);
    Reverb room(0.8, 0.55);
    std::vector<double> out(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        const double t = timeOf(i);
        const double dry = 1.0 * thump.next(t) + 0.75 * burst.next(t) + 0.8 * rumble.next(t) +
                           0.5 * crackle.next(t) + 0.45 * roll.next(t);
        const double wet = room.process(dry);
        const double ending = 1.0 - fadeIn(t, kDuration - 0.6, 0.6);
        out[i] = softClip(dry + 0.3 * wet, 1.2) * ending;
    }
    return out;
}

} // namespace sounds
