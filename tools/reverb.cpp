// SPDX-License-Identifier: MIT
#include "reverb.h"

namespace {

constexpr std::size_t kCombLengths[] = {557, 617, 691, 749};
constexpr std::size_t kAllPassLengths[] = {225, 341};

} // namespace

Reverb::Reverb(double feedback, double damping)
    : m_feedback(feedback)
    , m_damping(damping)
{
    for (const std::size_t length : kCombLengths) {
        m_combs.push_back(Line{std::vector<double>(length, 0.0)});
    }
    for (const std::size_t length : kAllPassLengths) {
        m_allPasses.push_back(Line{std::vector<double>(length, 0.0)});
    }
}

double Reverb::process(double input)
{
    double sum = 0.0;
    for (Line &comb : m_combs) {
        const double delayed = comb.buffer[comb.position];
        comb.filtered = delayed * (1.0 - m_damping) + comb.filtered * m_damping;
        comb.buffer[comb.position] = input + comb.filtered * m_feedback;
        comb.position = (comb.position + 1) % comb.buffer.size();
        sum += delayed;
    }
    double output = sum * 0.25;
    for (Line &allPass : m_allPasses) {
        const double delayed = allPass.buffer[allPass.position];
        allPass.buffer[allPass.position] = output + delayed * 0.5;
        allPass.position = (allPass.position + 1) % allPass.buffer.size();
        output = delayed - output;
    }
    return output;
}
