// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QString>

// The picture in file, read in the format its name's suffix names. Left to
// guess the format, Qt 6.4 loads every image plugin, and the libraries behind
// them, to ask each whether it knows the file, even for a format it reads
// itself.
QImage readImage(const QString &file);
