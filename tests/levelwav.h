// SPDX-License-Identifier: MIT
#pragma once

#include "wavfile.h"

#include <QFile>
#include <QList>
#include <QPair>

// An 8-bit mono WAV file at 22050 Hz made of constant levels, each held for
// some frames: easy to find in a recording, where level l plays as
// (l - 128) * 256: the tests record in the sounds' own format, unresampled.
inline QByteArray levelWav(const QList<QPair<quint8, int>> &parts)
{
    std::vector<std::uint8_t> samples;
    for (const auto &[level, frames] : parts)
        samples.insert(samples.end(), size_t(frames), level);
    return wavfile::encode(samples, {});
}

// Writes such a file at path and returns the path; a test cannot go on without it.
inline QString writeLevelWav(const QString &path, const QList<QPair<quint8, int>> &parts)
{
    const QByteArray wav = levelWav(parts);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}
