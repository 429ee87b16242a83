// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

// The colours both windows are drawn in, and the one way a control gets its
// text colour, so a colour is named once and set the same way everywhere.
namespace look {

inline const QColor White(255, 255, 255);
inline const QColor Red(255, 0, 0);
inline const QColor Black(0, 0, 0);

// The colour of a control's text, whether the style draws it as window text
// (labels) or as button text (option buttons).
void setTextColor(QWidget *widget, const QColor &color);

// A line of the window's own text: plain text, as a target is the user's
// text and never markup; wrapped at the label's width from its top; in one
// colour.
void setUpLabel(QLabel *label, const char *name, const QRect &geometry, const QString &text,
                const QColor &color, Qt::Alignment alignment = Qt::AlignLeft);

} // namespace look
