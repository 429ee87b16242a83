// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <vector>

// A small Schroeder room: four damped combs into two all-passes. Enough to take
// the dry, test-tone edge off the calls and beeps.
class Reverb {
public:
    Reverb(double feedback, double damping);

    double process(double input);

private:
    struct Line {
        std::vector<double> buffer;
        std::size_t position = 0;
        double filtered = 0.0;
    };

    std::vector<Line> m_combs;
    std::vector<Line> m_allPasses;
    double m_feedback;
    double m_damping;
};
