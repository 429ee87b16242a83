// SPDX-License-Identifier: MIT
#include "random.h"
#include "portablemath.h"

#include <cmath>
#include <numbers>

Random::Random(std::uint64_t seed)
{
    next();
    m_state += seed;
    next();
}

std::uint32_t Random::next()
{
    const std::uint64_t old = m_state;
    m_state = old * 6364136223846793005ULL + 1442695040888963407ULL;
    const auto xorShifted = static_cast<std::uint32_t>(((old >> 18U) ^ old) >> 27U);
    const auto rotation = static_cast<std::uint32_t>(old >> 59U);
    return (xorShifted >> rotation) | (xorShifted << ((32U - rotation) & 31U));
}

double Random::uniform()
{
    return next() / 4294967296.0;
}

double Random::uniform(double low, double high)
{
    return low + (high - low) * uniform();
}

double Random::bipolar()
{
    return 2.0 * uniform() - 1.0;
}

double Random::gaussian()
{
    const double u1 = 1.0 - uniform();
    const double u2 = uniform();
    return std::sqrt(-2.0 * portable::log(u1)) * portable::cos(2.0 * std::numbers::pi * u2);
}

bool Random::chance(double probability)
{
    return uniform() < probability;
}
