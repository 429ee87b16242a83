// SPDX-License-Identifier: MIT
#include "icofile.h"

#include "littleendian.h"

#include <limits>

namespace {

void appendU8(QByteArray &out, int value)
{
    out.append(static_cast<char>(value));
}

int rowBytes(int width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

int nearest(QRgb colour, const QList<QRgb> &palette)
{
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < palette.size(); ++i) {
        const int dr = qRed(colour) - qRed(palette[i]);
        const int dg = qGreen(colour) - qGreen(palette[i]);
        const int db = qBlue(colour) - qBlue(palette[i]);
        // Weighted towards green, as the eye is.
        const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

QByteArray header(const icofile::Entry &entry)
{
    const int width = entry.image.width();
    const int height = entry.image.height();
    const int rows = rowBytes(width, entry.bitsPerPixel) + rowBytes(width, 1);
    QByteArray out;
    appendU32(out, 40);
    appendU32(out, static_cast<quint32>(width));
    // The colour rows and the mask rows count as one bitmap of twice the height.
    appendU32(out, static_cast<quint32>(2 * height));
    appendU16(out, 1);
    appendU16(out, static_cast<quint16>(entry.bitsPerPixel));
    appendU32(out, 0);
    appendU32(out, static_cast<quint32>(rows * height));
    appendU32(out, 0);
    appendU32(out, 0);
    appendU32(out, 0);
    appendU32(out, 0);
    for (int i = 0; i < (1 << entry.bitsPerPixel); ++i) {
        const QRgb colour = i < entry.palette.size() ? entry.palette[i] : qRgb(0, 0, 0);
        appendU8(out, qBlue(colour));
        appendU8(out, qGreen(colour));
        appendU8(out, qRed(colour));
        appendU8(out, 0);
    }
    return out;
}

QByteArray imageBytes(const icofile::Entry &entry)
{
    const QImage image = entry.image.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    QByteArray colours;
    QByteArray mask;
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray colourLine(rowBytes(width, entry.bitsPerPixel), '\0');
        QByteArray maskLine(rowBytes(width, 1), '\0');
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool opaque = qAlpha(line[x]) >= 128;
            const int index = opaque ? nearest(line[x], entry.palette) : 0;
            if (entry.bitsPerPixel == 8) {
                colourLine[x] = static_cast<char>(index);
            } else {
                const int shift = x % 2 == 0 ? 4 : 0;
                colourLine[x / 2] = static_cast<char>(colourLine[x / 2] | (index << shift));
            }
            if (!opaque) {
                maskLine[x / 8] = static_cast<char>(maskLine[x / 8] | (0x80 >> (x % 8)));
            }
        }
        colours.append(colourLine);
        mask.append(maskLine);
    }
    return header(entry) + colours + mask;
}

} // namespace

namespace icofile {

QByteArray encode(const QList<Entry> &entries)
{
    QList<QByteArray> images;
    for (const Entry &entry : entries) {
        images.append(imageBytes(entry));
    }
    QByteArray out;
    appendU16(out, 0);
    appendU16(out, 1);
    appendU16(out, static_cast<quint16>(entries.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries[i];
        appendU8(out, entry.image.width() % 256);
        appendU8(out, entry.image.height() % 256);
        appendU8(out, entry.bitsPerPixel == 4 ? 16 : 0);
        appendU8(out, 0);
        appendU16(out, 1);
        appendU16(out, static_cast<quint16>(entry.bitsPerPixel));
        appendU32(out, static_cast<quint32>(images[i].size()));
        appendU32(out, offset);
        offset += static_cast<quint32>(images[i].size());
    }
    for (const QByteArray &image : images) {
        out.append(image);
    }
    return out;
}

} // namespace icofile
