// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>

#include <cmath>

// Measures of screenshots, in decoded pixels: how sharp, how bright and how
// alike they are, each within a region.

// Share of the aligned 2 x 2 blocks in area whose four pixels are identical.
// A picture doubled pixel by pixel has nearly all of them; one drawn at the
// full resolution has few outside flat colour.
inline double uniformBlockShare(const QImage &image, const QRect &area)
{
    int blocks = 0;
    int uniform = 0;
    for (int y = area.top() & ~1; y + 1 <= area.bottom(); y += 2) {
        for (int x = area.left() & ~1; x + 1 <= area.right(); x += 2) {
            const QRgb corner = image.pixel(x, y);
            ++blocks;
            uniform += image.pixel(x + 1, y) == corner && image.pixel(x, y + 1) == corner &&
                       image.pixel(x + 1, y + 1) == corner;
        }
    }
    return blocks ? double(uniform) / blocks : 0.0;
}

// Relative luminance (sRGB, 0 to 1) as the contrast formula of WCAG uses it.
inline double relativeLuminance(QColor colour)
{
    auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

inline double contrastRatio(QColor a, QColor b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// Mean brightness (0 to 255, the average of the three channels) in area.
inline double meanBrightness(const QImage &image, const QRect &area)
{
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            sum += (qRed(c) + qGreen(c) + qBlue(c)) / 3.0;
        }
    }
    return sum / (area.width() * area.height());
}

// Mean absolute difference per channel (0 to 255) between two images of one size.
inline double meanDifference(const QImage &a, const QImage &b, const QRect &area)
{
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum +=
                qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * area.width() * area.height());
}

// The most common colour in area: the face a control is painted on.
inline QRgb commonestColour(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    }
    QRgb commonest = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            commonest = it.key();
        }
    }
    return commonest;
}

// How well whatever is drawn in area stands out from its face: the contrast
// ratio of the pixel most unlike the commonest colour.
inline double strongestContrast(const QImage &image, const QRect &area)
{
    const QColor face = QColor::fromRgb(commonestColour(image, area));
    double strongest = 1.0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            strongest = qMax(strongest, contrastRatio(face, QColor::fromRgb(image.pixel(x, y))));
    }
    return strongest;
}
