// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QtEndian>

// Reads the little-endian fields of the asset files; a field past the end
// reads as 0 rather than beyond the buffer.
inline quint32 u32(const QByteArray &bytes, qsizetype offset)
{
    if (offset < 0 || offset + 4 > bytes.size())
        return 0;
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

inline quint16 u16(const QByteArray &bytes, qsizetype offset)
{
    if (offset < 0 || offset + 2 > bytes.size())
        return 0;
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}
