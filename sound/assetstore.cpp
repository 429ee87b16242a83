#include "assetstore.h"

#include "failure.h"

#include <QFile>

#include <cerrno>

namespace assets {

QByteArray lookup(const QString &type, int id)
{
    QFile file(QStringLiteral(":/%1/%2").arg(type).arg(id));
    if (!file.open(QIODevice::ReadOnly))
        throw fileFailure(ENOENT, file.fileName());
    return file.readAll();
}

} // namespace assets
