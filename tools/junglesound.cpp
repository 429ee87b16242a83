// SPDX-License-Identifier: MIT
#include "portablemath.h"
#include "random.h"
#include "reverb.h"
#include "sounds.h"
#include "svfilter.h"
#include "synth.h"

#include <array>
#include <cmath>

using namespace synth;

namespace {

constexpr int kSamples = 33078;

// A hand drum: a pitched membrane with a slap of noise.
double drum(double t, double start, double pitch, double level, double noise)
{
    const double local = t - start;
    if (local < 0.0 || local > 0.6) {
        return 0.0;
    }
    const double phase =
        pitch * local + pitch * 0.6 * 0.035 * (1.0 - portable::exp(-local / 0.035));
    const double membrane = portable::sin(kTwoPi * phase) * envelope(local, 0.002, 0.16);
    return level * (membrane + noise * envelope(local, 0.0005, 0.012));
}

struct Syllable {
    double start;
    double length;
    double lowPitch;
    double highPitch;
    double openness;
};

// "Hoo-hoo-HAA": a voice-like pulse train sweeping up in pitch, shaped by two
// formants that move from a closed "oo" to an open "aa".
class MonkeyCall {
public:
    double next(double t)
    {
        for (const Syllable &s : kSyllables) {
            if (t >= s.start && t < s.start + s.length) {
                return voice(t, s);
            }
        }
        m_low.process(0.0);
        m_high.process(0.0);
        return 0.0;
    }

private:
    double voice(double t, const Syllable &s)
    {
        const double x = (t - s.start) / s.length;
        const double glide = portable::sin(std::numbers::pi * std::min(1.0, x * 1.3));
        const double vibrato = 1.0 + 0.025 * portable::sin(kTwoPi * 7.0 * t);
        const double pitch = (s.lowPitch + (s.highPitch - s.lowPitch) * glide) * vibrato;
        const double increment = pitch / kSampleRate;
        m_phase = wrap(m_phase + increment);
        const double source = saw(m_phase, increment);
        const double open = s.openness * glide;
        m_low.setup(320.0 + 520.0 * open, 5.0);
        m_high.setup(850.0 + 450.0 * open, 6.0);
        m_low.process(source);
        m_high.process(source);
        const double shape = portable::sin(std::numbers::pi * x);
        return shape * shape * (m_low.bandpass() + 0.6 * m_high.bandpass());
    }

    static constexpr std::array<Syllable, 3> kSyllables = {{
        {0.04, 0.17, 330.0, 520.0, 0.1},
        {0.23, 0.17, 360.0, 560.0, 0.2},
        {0.44, 0.42, 420.0, 780.0, 1.0},
    }};
    SvFilter m_low;
    SvFilter m_high;
    double m_phase = 0.0;
};

struct Chirp {
    double start;
    double from;
    double to;
};

// Quick sweeping chirps with a fast warble, as from a bird high in the trees.
double birdChirp(double t, const Chirp &chirp)
{
    constexpr double kLength = 0.07;
    const double local = t - chirp.start;
    if (local < 0.0 || local > kLength) {
        return 0.0;
    }
    const double x = local / kLength;
    const double sweep = chirp.to - chirp.from;
    const double phase = chirp.from * local + sweep * kLength * x * x * x / 3.0;
    const double warble = 0.15 * portable::sin(kTwoPi * 38.0 * local);
    const double shape = portable::sin(std::numbers::pi * x);
    return shape * portable::sin(kTwoPi * (phase + warble));
}

double birdSong(double t)
{
    constexpr std::array<Chirp, 7> chirps = {{{0.9, 2600.0, 4400.0},
                                              {1.0, 2700.0, 4500.0},
                                              {1.1, 2800.0, 4600.0},
                                              {1.17, 4200.0, 3000.0},
                                              {1.24, 2900.0, 4700.0},
                                              {1.31, 4300.0, 3100.0},
                                              {1.38, 3000.0, 4200.0}}};
    double sum = 0.0;
    for (const Chirp &chirp : chirps) {
        sum += birdChirp(t, chirp);
    }
    return sum;
}

// A faint bed of insects, so the call does not start from dead silence.
class Insects {
public:
    explicit Insects(Random &random)
        : m_random(random)
    {
        m_filter.setup(5200.0, 3.0);
    }

    double next(double t)
    {
        m_filter.process(m_random.bipolar());
        const double pulse = 0.5 + 0.5 * portable::sin(kTwoPi * 42.0 * t);
        return m_filter.bandpass() * pulse * pulse;
    }

private:
    Random &m_random;
    SvFilter m_filter;
};

} // namespace

namespace sounds {

std::vector<double> jungle()
{
    Random random(0x7A6A1EULL);
    MonkeyCall monkey;
    Insects insects(random);
    Reverb forest(0.78, 0.45);
    std::vector<double> out(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        const double t = timeOf(i);
        const double slap = random.bipolar();
        const double drums =
            drum(t, 0.0, 92.0, 0.9, 0.5 * slap) + drum(t, 0.2, 190.0, 0.5, 0.4 * slap) +
            drum(t, 0.3, 190.0, 0.45, 0.4 * slap) + drum(t, 0.45, 92.0, 0.8, 0.5 * slap);
        const double calls = 0.55 * monkey.next(t) + 0.3 * birdSong(t);
        const double dry = drums + calls + 0.025 * insects.next(t);
        const double ending = 1.0 - fadeIn(t, 1.38, 0.12);
        out[i] = (dry + 0.35 * forest.process(calls + 0.3 * drums)) * ending;
    }
    return out;
}

} // namespace sounds
