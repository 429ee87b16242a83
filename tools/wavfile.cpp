// SPDX-License-Identifier: MIT
#include "wavfile.h"

#include "random.h"

#include <algorithm>
#include <cmath>

namespace wavfile {

std::vector<std::uint8_t> quantise(const std::vector<double> &signal, double peakLevel)
{
    double largest = 1e-12;
    for (const double value : signal) {
        largest = std::max(largest, std::fabs(value));
    }
    const double scale = peakLevel / largest;
    Random dither(0x5EEDD17EULL);
    double follower = 0.0;
    std::vector<std::uint8_t> out;
    out.reserve(signal.size());
    for (const double value : signal) {
        const double scaled = value * scale;
        follower = std::max(std::fabs(scaled), follower * 0.9995);
        const double amount = std::min(1.0, follower);
        const double triangular = (dither.uniform() - dither.uniform()) * amount;
        const double level = std::round(128.0 + scaled + triangular);
        out.push_back(static_cast<std::uint8_t>(std::clamp(level, 4.0, 251.0)));
    }
    return out;
}

} // namespace wavfile
