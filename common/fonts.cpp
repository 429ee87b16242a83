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

    QApplication::setFont(standardFont());
}

QFont standardFont()
{
    return pixelFont(QStringLiteral("Liberation Sans"), 11, false);
}

QFont pixelFont(const QString &family, int pixelSize, bool bold, bool italic)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    // Every property is the window's own: a desktop's application font (a
    // platform theme sets one once the program runs) must not fill in the
    // rest, as its style name would pick a face without the weight asked for.
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}
