#pragma once

#include <QByteArray>
#include <QString>

namespace assets {

inline constexpr int CountdownSound = 101;
inline constexpr int BoomSound = 102;
inline constexpr int JungleSound = 104;

// All bytes of the embedded asset (type name, id); throws FailureError when there is none.
QByteArray lookup(const QString &type, int id);

} // namespace assets
