// SPDX-License-Identifier: MIT
#include "alerttone.h"

#include <QtEndian>

#include <cmath>
#include <numbers>

namespace sound {

namespace {

template <typename T> void append(QByteArray &bytes, T value)
{
    const T little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&little), sizeof little);
}

QByteArray waveHeader(quint32 dataBytes)
{
    QByteArray header;
    header.append("RIFF");
    append<quint32>(header, 36 + dataBytes);
    header.append("WAVEfmt ");
    append<quint32>(header, 16);
    append<quint16>(header, 1);
    append<quint16>(header, 1);
    append<quint32>(header, AlertToneRate);
    append<quint32>(header, AlertToneRate * 2);
    append<quint16>(header, 2);
    append<quint16>(header, 16);
    header.append("data");
    append<quint32>(header, dataBytes);
    return header;
}

// A struck-bell shape: a 5 ms attack against clicks, then an exponential decay.
double envelope(int frame, int frames)
{
    const double attack = std::min(1.0, frame / (0.005 * AlertToneRate));
    const double release = std::min(1.0, (frames - frame) / (0.005 * AlertToneRate));
    return attack * release * std::exp(-6.0 * frame / frames);
}

} // namespace

QByteArray alertToneWav()
{
    constexpr int frames = AlertToneRate * AlertToneMilliseconds / 1000;
    QByteArray wav = waveHeader(frames * 2);
    for (int frame = 0; frame < frames; ++frame) {
        const double phase = 2 * std::numbers::pi * AlertToneFrequency * frame / AlertToneRate;
        append<qint16>(wav, qint16(std::lround(12000 * envelope(frame, frames) * std::sin(phase))));
    }
    return wav;
}

} // namespace sound
