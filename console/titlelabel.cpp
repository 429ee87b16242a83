// SPDX-License-Identifier: MIT
#include "titlelabel.h"

#include <QFontInfo>
#include <QPainter>
#include <QTextLayout>

TitleLabel::TitleLabel(QWidget *parent)
    : QLabel(parent)
{
}

void TitleLabel::paintEvent(QPaintEvent *)
{
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WordWrap);
    QTextLayout layout(text(), font());
    layout.setTextOption(option);
    const qreal lineDistance = QFontInfo(font()).pixelSize();
    qreal top = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width());
        line.setPosition(QPointF(0, top));
        top += lineDistance;
    }
    layout.endLayout();

    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    layout.draw(&painter, QPointF());
}
