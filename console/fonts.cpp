#include "fonts.h"

#include <QApplication>
#include <QFont>

// Terminus is a crisp fixed-pitch bitmap face with bold and oblique cuts, the
// closest in spirit to a terminal face; Liberation Sans stands in for the
// heavy system face and the tiny one. The second names are only used when
// the first is missing.
void installFontSubstitutions() {
    QFont::insertSubstitutions(QStringLiteral("Terminal"),
                               {QStringLiteral("Terminus"), QStringLiteral("DejaVu Sans Mono")});
    QFont::insertSubstitutions(QStringLiteral("System"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Small Fonts"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});

    // The windows were laid out for an 11-pixel user-interface face.
    QFont standard(QStringLiteral("Liberation Sans"));
    standard.setPixelSize(11);
    QApplication::setFont(standard);
}
