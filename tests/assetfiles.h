// SPDX-License-Identifier: MIT
#pragma once

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRect>
#include <QString>

// The committed asset files, as the tests of them read them.

inline QByteArray readAsset(const QString &name)
{
    QFile file(QStringLiteral(LASER_ASSETS_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

inline QImage readPicture(const QString &name, const char *format = nullptr)
{
    QImageReader reader(QStringLiteral(LASER_ASSETS_DIR "/") + name, format);
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

// The share of an area's pixels that satisfy the predicate.
template <typename Predicate>
double share(const QImage &image, const QRect &area, Predicate predicate)
{
    int hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            hits += predicate(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return hits / double(area.width() * area.height());
}
