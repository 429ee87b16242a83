// SPDX-License-Identifier: MIT
// The one writer of WAV files, for the generator and the tests alike.
#pragma once

#include "littleendian.h"
#include "soundconstants.h"

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

inline QByteArray encode(const std::vector<std::uint8_t> &samples, const Layout &layout)
{
    const auto count = static_cast<std::uint32_t>(samples.size());
    const std::uint32_t pad = count % 2;
    const auto rate = static_cast<std::uint32_t>(kSampleRate);
    QByteArray out("RIFF");
    appendU32(out, 4 + (8 + 18) + (8 + 4) + (8 + count + pad));
    out.append("WAVEfmt ");
    appendU32(out, 18);
    appendU16(out, 1); // PCM
    appendU16(out, 1); // mono
    appendU32(out, rate);
    appendU32(out, rate); // bytes per second
    appendU16(out, 1);    // bytes per frame
    appendU16(out, 8);    // bits per sample
    appendU16(out, layout.extraFormatBytes);
    out.append("fact");
    appendU32(out, 4);
    appendU32(out, count);
    out.append("data");
    appendU32(out, count);
    out.append(reinterpret_cast<const char *>(samples.data()), static_cast<qsizetype>(count));
    out.append(static_cast<qsizetype>(pad) + static_cast<qsizetype>(layout.trailingZeros), '\0');
    return out;
}

// Scales the signal so its largest excursion is peakLevel steps from 128, with
// triangular dither that follows the signal down, so silence stays exact.
std::vector<std::uint8_t> quantise(const std::vector<double> &signal, double peakLevel);

} // namespace wavfile
