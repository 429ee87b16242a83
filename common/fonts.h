// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

// Maps the faces the windows ask for ("Terminal", "System", "Small Fonts")
// onto installed fonts of a similar style, and sets the default face.
// Call once after the QApplication exists.
void installFontSubstitutions();

// A face at a pixel size, as the windows' layouts give their fonts.
QFont pixelFont(const QString &family, int pixelSize, bool bold, bool italic = false);

// The same font named by the installed face that stands for family, which
// Qt finds without first looking the missing name up.
QFont installedPixelFont(const QString &family, int pixelSize, bool bold, bool italic = false);
