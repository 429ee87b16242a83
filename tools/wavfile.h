// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

// RIFF/WAVE writer for the program's 8-bit mono sounds, in the exact layout the
// embedded sounds have always had: an 18-byte "fmt " chunk whose extra-size
// field carries a legacy value, a "fact" chunk, then "data".
namespace wavfile {

struct Layout {
    std::uint16_t extraFormatBytes = 0;
    int trailingZeros = 0;
};

QByteArray encode(const std::vector<std::uint8_t> &samples, const Layout &layout);

// Scales the signal so its largest excursion is peakLevel steps from 128, with
// triangular dither that follows the signal down, so silence stays exact.
std::vector<std::uint8_t> quantise(const std::vector<double> &signal, double peakLevel);

} // namespace wavfile
