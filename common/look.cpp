// SPDX-License-Identifier: MIT
#include "look.h"

#include <QLabel>

namespace look {

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

void setUpLabel(QLabel *label, const char *name, const QRect &geometry, const QString &text,
                const QColor &color, Qt::Alignment alignment)
{
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setWordWrap(true);
    setTextColor(label, color);
}

} // namespace look
