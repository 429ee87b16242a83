// SPDX-License-Identifier: MIT
// The sounds' scratch files in TEMP: their names, writing them safely in a
// shared folder, and deleting them when the last running copy ends.
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
// never truncating it, and keeps the file open under a shared lock while the
// program runs, so that another running copy leaves it in place. Throws
// FailureError on any failure, and when anything but a regular file of the
// user the program runs as, with one link and its owner's write bit, stands
// at path.
void write(const QString &path, Sound sound);

// Lets this copy's locks go and deletes every sound's scratch file under a
// fresh reading of TEMP, ignoring each failure. A name is deleted only when
// the writer would write it (looked at without following a link) and no
// other running copy holds a lock on it.
void deleteAll();

} // namespace scratch
