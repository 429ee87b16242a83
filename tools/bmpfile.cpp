// SPDX-License-Identifier: MIT
#include "bmpfile.h"

#include "littleendian.h"

namespace bmpfile {

QByteArray encode(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const auto width = static_cast<quint32>(rgb.width());
    const auto height = static_cast<quint32>(rgb.height());
    const quint32 stride = (width * 3 + 3) / 4 * 4;
    const quint32 pixelBytes = stride * height;
    QByteArray out;
    out.reserve(54 + static_cast<qsizetype>(pixelBytes));
    out.append("BM", 2);
    appendU32(out, 54 + pixelBytes);
    appendU32(out, 0);
    appendU32(out, 54);
    appendU32(out, 40);
    appendU32(out, width);
    appendU32(out, height);
    appendU16(out, 1);
    appendU16(out, 24);
    appendU32(out, 0);
    appendU32(out, pixelBytes);
    appendU32(out, 2835);
    appendU32(out, 2835);
    appendU32(out, 0);
    appendU32(out, 0);
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const uchar *line = rgb.constScanLine(y);
        QByteArray row(static_cast<qsizetype>(stride), '\0');
        for (qsizetype at = 0; at < 3 * static_cast<qsizetype>(width); at += 3) {
            row[at] = static_cast<char>(line[at + 2]);
            row[at + 1] = static_cast<char>(line[at + 1]);
            row[at + 2] = static_cast<char>(line[at]);
        }
        out.append(row);
    }
    return out;
}

} // namespace bmpfile
