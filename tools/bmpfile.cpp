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
    out.reserve(static_cast<qsizetype>(54 + pixelBytes));
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
        for (quint32 x = 0; x < width; ++x) {
            row[3 * x] = static_cast<char>(line[3 * x + 2]);
            row[3 * x + 1] = static_cast<char>(line[3 * x + 1]);
            row[3 * x + 2] = static_cast<char>(line[3 * x]);
        }
        out.append(row);
    }
    return out;
}

} // namespace bmpfile
