// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QtEndian>

// An 8-bit mono WAV file at 22050 Hz made of constant levels, each held for
// some frames: easy to find in a recording, where level l plays as
// (l - 128) * 256: the tests record in the sounds' own format, unresampled.
inline QByteArray levelWav(const QList<QPair<quint8, int>> &parts)
{
    QByteArray samples;
    for (const auto &[level, frames] : parts)
        samples += QByteArray(frames, char(level));
    const auto append = [](QByteArray &bytes, auto value) {
        const auto little = qToLittleEndian(value);
        bytes.append(reinterpret_cast<const char *>(&little), sizeof little);
    };
    QByteArray wav = "RIFF";
    append(wav, quint32(36 + samples.size()));
    wav += "WAVEfmt ";
    append(wav, quint32(16));
    append(wav, quint16(1));
    append(wav, quint16(1));
    append(wav, quint32(22050));
    append(wav, quint32(22050));
    append(wav, quint16(1));
    append(wav, quint16(8));
    wav += "data";
    append(wav, quint32(samples.size()));
    return wav + samples;
}
