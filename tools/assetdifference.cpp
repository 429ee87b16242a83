// SPDX-License-Identifier: MIT
#include "assetdifference.h"

#include "littleendian.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int channelDifference(QRgb a, QRgb b)
{
    return std::max({std::abs(qAlpha(a) - qAlpha(b)), std::abs(qRed(a) - qRed(b)),
                     std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

AssetDifference AssetDifference::ofPixels(const QImage &a, const QImage &b, const QString &where)
{
    const QImage left = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    AssetDifference out;
    out.total = qsizetype(left.width()) * left.height();
    for (int y = 0; y < left.height(); ++y) {
        const auto *l = reinterpret_cast<const QRgb *>(left.constScanLine(y));
        const auto *r = reinterpret_cast<const QRgb *>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            const int d = channelDifference(l[x], r[x]);
            out.differing += d > 0 ? 1 : 0;
            if (d > out.worst) {
                out.worst = d;
                out.worstAt = QStringLiteral("pixel (%1, %2)%3").arg(x).arg(y).arg(where);
            }
        }
    }
    return out;
}

AssetDifference AssetDifference::ofSamples(const QByteArray &a, const QByteArray &b)
{
    AssetDifference out;
    out.total = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < out.total; ++i) {
        const int d = std::abs(int(quint8(a[i])) - int(quint8(b[i])));
        out.differing += d > 0 ? 1 : 0;
        if (d > out.worst) {
            out.worst = d;
            out.worstAt = QStringLiteral("sample %1").arg(i);
        }
    }
    return out;
}

void AssetDifference::add(const AssetDifference &other)
{
    if (other.worst > worst) {
        worst = other.worst;
        worstAt = other.worstAt;
    }
    differing += other.differing;
    total += other.total;
}

double AssetDifference::share() const
{
    return total > 0 ? double(differing) / double(total) : 0.0;
}

QString AssetDifference::describe(const QString &units) const
{
    if (differing == 0) {
        return QStringLiteral("worst 0 levels, all %1 %2 identical").arg(total).arg(units);
    }
    return QStringLiteral("worst %1 level%2 at %3; %4 of %5 %6 differ (%7 %)")
        .arg(worst)
        .arg(worst == 1 ? "" : "s")
        .arg(worstAt)
        .arg(differing)
        .arg(total)
        .arg(units)
        .arg(share() * 100.0, 0, 'f', 3);
}

qsizetype AssetTolerance::allowedCount(qsizetype total) const
{
    return qsizetype(std::ceil(double(total) * share));
}

bool AssetTolerance::allows(const AssetDifference &difference) const
{
    return difference.worst <= levels && difference.differing <= allowedCount(difference.total);
}

QString AssetTolerance::describe(qsizetype total, const QString &units) const
{
    return QStringLiteral("at most %1 levels on at most %2 of %3 %4")
        .arg(levels)
        .arg(allowedCount(total))
        .arg(total)
        .arg(units);
}

WaveParts WaveParts::of(const QByteArray &wav)
{
    if (!wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE") {
        return {};
    }
    qsizetype at = 12;
    while (at + 8 <= wav.size()) {
        const qsizetype length = u32(wav, at + 4);
        if (wav.mid(at, 4) == "data") {
            const qsizetype start = at + 8;
            const qsizetype count = std::min(length, wav.size() - start);
            return {wav.left(start) + wav.mid(start + count), wav.mid(start, count)};
        }
        at += 8 + length + length % 2;
    }
    return {};
}
