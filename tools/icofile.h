// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>

// A classic ICO writer: palette images with BITMAPINFOHEADER and a 1-bit AND
// mask each, which Qt's own writer cannot produce. Pixels are mapped to the
// nearest colour of a fixed palette; alpha below one half becomes transparent.
namespace icofile {

struct Entry {
    QImage image;
    int bitsPerPixel = 4;
    QList<QRgb> palette;
};

QByteArray encode(const QList<Entry> &entries);

} // namespace icofile
