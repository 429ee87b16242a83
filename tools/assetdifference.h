// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// How far one asset is from another, measured on what a viewer or listener
// gets: decoded pixels, premultiplied so that colour under transparency does
// not count, or 8-bit sound samples. Differences are in levels of one channel
// or one sample.
struct AssetDifference {
    int worst = 0;
    qsizetype differing = 0;
    qsizetype total = 0;
    QString worstAt;

    static AssetDifference ofPixels(const QImage &a, const QImage &b, const QString &where = {});
    static AssetDifference ofSamples(const QByteArray &a, const QByteArray &b);

    void add(const AssetDifference &other);
    double share() const;
    // "worst 1 level at pixel (3, 4); 1 of 1024 pixels differ (0.098 %)", or
    // "worst 0 levels, all 1024 pixels identical"
    QString describe(const QString &units) const;
};

// What may differ where the generator's output goes through code that is
// chosen per processor (Qt's painter and smooth scaling): at most levels per
// channel, on at most share of the pixels, rounded up.
struct AssetTolerance {
    int levels = 0;
    double share = 0.0;

    qsizetype allowedCount(qsizetype total) const;
    bool allows(const AssetDifference &difference) const;
    // "at most 2 levels on at most 2 of 1024 pixels"
    QString describe(qsizetype total, const QString &units) const;
};

// A RIFF/WAVE file split into its container (every byte outside the samples)
// and its samples; both empty unless the file has a "data" chunk.
struct WaveParts {
    QByteArray container;
    QByteArray samples;

    static WaveParts of(const QByteArray &wav);
};
