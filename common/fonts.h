// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

// Maps the faces the windows ask for ("Terminal", "System", "Small Fonts")
// onto installed fonts of a similar style, and sets the default face.
// Call once after the QApplication exists.
void installFontSubstitutions();

// The user-interface face the windows were laid out for, 11 pixels high. Each
// window sets it on itself, so that a desktop's own font cannot replace it.
QFont standardFont();

// A face at a pixel size, as the windows' layouts give their fonts.
QFont pixelFont(const QString &family, int pixelSize, bool bold, bool italic = false);

// The same font named by the installed face that stands for family, which
// Qt finds without first looking the missing name up.
QFont installedPixelFont(const QString &family, int pixelSize, bool bold, bool italic = false);
