// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QtEndian>

// The file formats the generator writes all store their integers little-endian.
inline void appendU16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

inline void appendU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}
