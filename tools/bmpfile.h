// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>

// Writes a classic 24-bit bottom-up BMP with the plain 54-byte header. Written
// by hand so the layout never depends on which Qt version is installed.
namespace bmpfile {

QByteArray encode(const QImage &image);

} // namespace bmpfile
