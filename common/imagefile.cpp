// SPDX-License-Identifier: MIT
#include "imagefile.h"

#include <QFileInfo>
#include <QImageReader>

QImage readImage(const QString &file)
{
    QImageReader reader(file, QFileInfo(file).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
