// SPDX-License-Identifier: MIT
// Reading the embedded assets from Qt's resources.
#include "assetstore.h"

#include "failure.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace assets {

QByteArray lookup(const QString &type, int id)
{
    QFile file(QStringLiteral(":/%1/%2").arg(type).arg(id));
    if (!file.open(QIODevice::ReadOnly))
        throw fileFailure(ENOENT, file.fileName());
    return file.readAll();
}

const SoundAsset &soundAsset(Sound sound)
{
    return *std::find_if(std::begin(SoundAssets), std::end(SoundAssets),
                         [sound](const SoundAsset &row) { return row.sound == sound; });
}

QByteArray lookup(Sound sound)
{
    return lookup(QStringLiteral("CUSTOM"), soundAsset(sound).id);
}

} // namespace assets
