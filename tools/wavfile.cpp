// SPDX-License-Identifier: MIT
#include "wavfile.h"

#include "littleendian.h"
#include "random.h"
#include "soundconstants.h"

#include <algorithm>
#include <cmath>

namespace {

void appendTag(QByteArray &out, const char *tag)
{
    out.append(tag, 4);
}

} // namespace

namespace wavfile {

QByteArray encode(const std::vector<std::uint8_t> &samples, const Layout &layout)
{
    const auto count = static_cast<std::uint32_t>(samples.size());
    const std::uint32_t pad = count % 2;
    const auto rate = static_cast<std::uint32_t>(kSampleRate);
    QByteArray out;
    appendTag(out, "RIFF");
    appendU32(out, 4 + (8 + 18) + (8 + 4) + (8 + count + pad));
    appendTag(out, "WAVE");
    appendTag(out, "fmt ");
    appendU32(out, 18);
    appendU16(out, 1);
    appendU16(out, 1);
    appendU32(out, rate);
    appendU32(out, rate);
    appendU16(out, 1);
    appendU16(out, 8);
    appendU16(out, layout.extraFormatBytes);
    appendTag(out, "fact");
    appendU32(out, 4);
    appendU32(out, count);
    appendTag(out, "data");
    appendU32(out, count);
    out.append(reinterpret_cast<const char *>(samples.data()), static_cast<qsizetype>(count));
    out.append(static_cast<qsizetype>(pad) + static_cast<qsizetype>(layout.trailingZeros), '\0');
    return out;
}

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
