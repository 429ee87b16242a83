// SPDX-License-Identifier: MIT
#include "assetcomparison.h"

#include <QCoreApplication>

#include <cstdio>

// Compares a generated asset folder with the committed one and prints what it
// found for every file; fails when any file is off.
int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s COMMITTED_DIR GENERATED_DIR\n", argv[0]);
        return 2;
    }
    const AssetComparison comparison(QDir(QString::fromLocal8Bit(argv[1])),
                                     QDir(QString::fromLocal8Bit(argv[2])));
    const AssetTolerance tolerance = AssetComparison::kPaintedTolerance;
    std::printf("Painted pictures may differ by at most %d levels per channel (premultiplied ARGB) "
                "on at most %.1f %% of their pixels, rounded up; everything else must be "
                "exact.\n",
                tolerance.levels, tolerance.share * 100.0);
    int failures = 0;
    for (const AssetComparison::Asset &asset : AssetComparison::assets()) {
        const AssetComparison::Result result = comparison.compare(asset);
        std::printf("%-16s %-7s %s\n", qPrintable(asset.name), result.ok ? "ok" : "DIFFERS",
                    qPrintable(result.report));
        failures += result.ok ? 0 : 1;
    }
    for (const QString &problem : comparison.unaccounted()) {
        std::printf("%s\n", qPrintable(problem));
        ++failures;
    }
    if (failures > 0) {
        std::printf("%d problem(s): the committed assets and their generator disagree; rerun "
                    "assetgen on assets/ if the generator changed on purpose.\n",
                    failures);
        return 1;
    }
    std::printf("All %lld assets match their generator.\n",
                static_cast<long long>(AssetComparison::assets().size()));
    return 0;
}
