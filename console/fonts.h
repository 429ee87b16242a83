#pragma once

// Maps the faces the windows ask for ("Terminal", "System", "Small Fonts")
// onto installed fonts of a similar style, and sets the default face.
// Call once after the QApplication exists.
void installFontSubstitutions();
