// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QString>

#include <vector>

// An animated GIF89a through giflib: one global palette, full-size frames of
// palette indices, each with its delay and transparent index, looping forever.
namespace giffile {

struct Animation {
    int width = 0;
    int height = 0;
    QList<QRgb> palette;
    int transparentIndex = 0;
    int delayCentiseconds = 10;
    std::vector<std::vector<unsigned char>> frames;
};

// Returns an empty array, and giflib's reason in errorText, on failure.
QByteArray encode(const Animation &animation, QString *errorText);

} // namespace giffile
