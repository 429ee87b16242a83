// SPDX-License-Identifier: MIT
// Reading the embedded assets from Qt's resources.
#include "assetstore.h"

#include "failure.h"

#include <QFile>
#include <QResource>

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace assets {

QByteArray lookup(const QString &type, int id)
{
    const QString name = QStringLiteral(":/%1/%2").arg(type).arg(id);
    // Stored as they are, the bytes are used where the program holds them:
    // the sounds written at every start are not copied first.
    const QResource resource(name);
    if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression &&
        resource.data())
        return QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()),
                                       qsizetype(resource.size()));
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        throw fileFailure(ENOENT, file.fileName());
    return file.readAll();
}

const SoundAsset &soundAsset(Sound sound)
{
    return *std::ranges::find_if(SoundAssets,
                                 [sound](const SoundAsset &row) { return row.sound == sound; });
}

QByteArray lookup(Sound sound)
{
    return lookup(QStringLiteral("CUSTOM"), soundAsset(sound).id);
}

} // namespace assets
