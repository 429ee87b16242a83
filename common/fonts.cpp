// SPDX-License-Identifier: MIT
#include "fonts.h"

#include <QApplication>
#include <QFont>

// DejaVu Sans Mono stands in for the fixed-pitch terminal face (a bitmap
// face would be closer, but Qt sees only the first size of a multi-size
// bitmap font); Liberation Sans for the heavy system face and the tiny one.
// The second names are only used when the first is missing.
void installFontSubstitutions()
{
    QFont::insertSubstitutions(QStringLiteral("Terminal"), {QStringLiteral("DejaVu Sans Mono"),
                                                            QStringLiteral("Liberation Mono")});
    QFont::insertSubstitutions(QStringLiteral("System"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Small Fonts"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});

    // The windows were laid out for an 11-pixel user-interface face.
    QFont standard(QStringLiteral("Liberation Sans"));
    standard.setPixelSize(11);
    QApplication::setFont(standard);
}

QFont pixelFont(const QString &family, int pixelSize, bool bold, bool italic)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    return font;
}
