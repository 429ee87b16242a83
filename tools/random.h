// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// A small PCG32 generator, so every asset comes out the same on every machine
// and standard library: neither std::rand nor the std distributions are
// specified bit for bit.
class Random {
public:
    explicit Random(std::uint64_t seed);

    std::uint32_t next();
    double uniform();
    double uniform(double low, double high);
    double bipolar();
    double gaussian();
    bool chance(double probability);

private:
    std::uint64_t m_state = 0;
};
