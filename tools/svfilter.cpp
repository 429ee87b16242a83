// SPDX-License-Identifier: MIT
#include "svfilter.h"

#include "portablemath.h"
#include "soundconstants.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void SvFilter::setup(double cutoffHz, double q)
{
    const double cutoff = std::clamp(cutoffHz, 10.0, 0.45 * kSampleRate);
    m_g = portable::tan(std::numbers::pi * cutoff / kSampleRate);
    m_k = 1.0 / std::max(q, 0.05);
}

double SvFilter::process(double input)
{
    const double a1 = 1.0 / (1.0 + m_g * (m_g + m_k));
    const double a2 = m_g * a1;
    const double a3 = m_g * a2;
    const double v3 = input - m_state2;
    const double v1 = a1 * m_state1 + a2 * v3;
    const double v2 = m_state2 + a2 * m_state1 + a3 * v3;
    m_state1 = 2.0 * v1 - m_state1;
    m_state2 = 2.0 * v2 - m_state2;
    m_low = v2;
    m_band = v1;
    m_high = input - m_k * v1 - v2;
    return m_low;
}
