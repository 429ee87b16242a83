#pragma once

#include <QString>

namespace scratch {

inline const QString CountdownFileName = QStringLiteral("\\audiojunglecountdown.wav");
inline const QString BoomFileName = QStringLiteral("\\boomaudiojungle.wav");
inline const QString JungleFileName = QStringLiteral("\\audiojungle.wav");

// The value of TEMP as read; empty when it is not set. Throws FailureError
// when its bytes are not UTF-8 text, as they could not be kept exactly.
QString readTempFolder();

// The folder, then the name with its leading backslash standing for "/"; an
// empty folder means the platform's temporary folder. Nothing is normalised.
QString composePath(const QString &tempFolder, const QString &fileName);

// Writes the embedded sound ("CUSTOM", id) over the start of the file at path,
// never truncating it. Throws FailureError on any failure, and when anything
// but a regular file with one link stands at path.
void write(const QString &path, int assetId);

// Deletes the three scratch files under a fresh reading of TEMP, ignoring each
// failure. A name is deleted only when it is a regular file that is not
// read-only (no write permission bit), looked at without following a link.
void deleteAll();

} // namespace scratch
