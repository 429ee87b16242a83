// SPDX-License-Identifier: MIT
#pragma once

#include "soundtable.h"

#include <QString>

namespace scratch {

// The name of a sound's scratch file, led by a backslash that stands for the
// folder separator ("\\audiojungle.wav").
QString fileName(Sound sound);

// The value of TEMP as read; empty when it is not set. Throws FailureError
// when its bytes are not UTF-8 text, as they could not be kept exactly.
QString readTempFolder();

// The folder, then the name with its leading backslash standing for "/"; an
// empty folder means the platform's temporary folder. Nothing is normalised.
QString composePath(const QString &tempFolder, const QString &fileName);
// The path of the sound's scratch file in the folder.
QString composePath(const QString &tempFolder, Sound sound);

// Writes the sound's embedded asset over the start of the file at path,
// never truncating it. Throws FailureError on any failure, and when anything
// but a regular file with one link stands at path.
void write(const QString &path, Sound sound);

// Deletes every sound's scratch file under a fresh reading of TEMP, ignoring
// each failure. A name is deleted only when it is a regular file that is not
// read-only (no write permission bit), looked at without following a link.
void deleteAll();

} // namespace scratch
