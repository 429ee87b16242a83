// SPDX-License-Identifier: MIT
#include "assetwriter.h"

#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const QDir outDir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(outDir.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    return AssetWriter(outDir).writeAll() ? 0 : 1;
}
