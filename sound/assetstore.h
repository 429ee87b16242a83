// SPDX-License-Identifier: MIT
// The embedded assets, read by type and id, and each sound's row of the sound table.
#pragma once

#include "soundtable.h"

#include <QByteArray>
#include <QString>

namespace assets {

// All bytes of the embedded asset (type name, id); throws FailureError when there is none.
QByteArray lookup(const QString &type, int id);

// The row of the sound table for a sound.
const SoundAsset &soundAsset(Sound sound);

// All bytes of the sound's asset, looked up by its type and id.
QByteArray lookup(Sound sound);

} // namespace assets
