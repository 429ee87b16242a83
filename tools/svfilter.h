// SPDX-License-Identifier: MIT
#pragma once

// A state-variable filter (trapezoidal form): stays stable while its cutoff is
// swept every sample, which the explosions and calls rely on.
class SvFilter {
public:
    void setup(double cutoffHz, double q);
    double process(double input);

    double lowpass() const { return m_low; }
    double bandpass() const { return m_band; }
    double highpass() const { return m_high; }

private:
    double m_g = 0.0;
    double m_k = 1.0;
    double m_state1 = 0.0;
    double m_state2 = 0.0;
    double m_low = 0.0;
    double m_band = 0.0;
    double m_high = 0.0;
};
