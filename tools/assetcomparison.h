// SPDX-License-Identifier: MIT
#pragma once

#include "assetdifference.h"

#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

// Holds a freshly generated asset folder against the committed one, each file
// by the strictest rule that holds on every machine, and says per file what
// it found. Only what Qt's painter draws or smooths may differ, and only by a
// little: the painter and the scaler pick their code per processor.
class AssetComparison {
public:
    enum class Rule {
        // Made by the generator's own arithmetic and integer encoders.
        Bytes,
        // The same, but compressed by the system's PNG library: decoded pixels.
        Pixels,
        // Painted or smoothed by Qt: decoded pixels within the tolerance.
        PaintedPixels,
        // A BMP: headers byte for byte, painted pixels within the tolerance.
        PaintedBitmap,
        // Palette images reduced from the committed PNGs: exactly what
        // reducing those again gives.
        IconOfPictures,
    };

    struct Asset {
        QString name;
        Rule rule;
    };

    struct Result {
        bool ok = false;
        QString report;
    };

    static constexpr AssetTolerance kPaintedTolerance{2, 0.001};

    static const QList<Asset> &assets();

    AssetComparison(const QDir &committed, const QDir &generated);

    Result compare(const Asset &asset) const;
    // Files the generator writes that no rule covers, and covered files that
    // are missing from either folder.
    QStringList unaccounted() const;

private:
    Result sameBytes(const QString &name) const;
    Result samePixels(const QString &name, const AssetTolerance &tolerance) const;
    Result sameBitmap(const QString &name) const;
    Result iconOfPictures(const QString &name) const;
    QByteArray committed(const QString &name) const;
    QByteArray generated(const QString &name) const;

    QDir m_committed;
    QDir m_generated;
};
