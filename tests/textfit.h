// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyleOption>

// Whether a window's texts are whole and in the faces it asked for, measured
// with the fonts actually in use, so that a desktop's own font or scale
// cannot cut a text unnoticed.

// Where a label's letters reach, in its own coordinates: the label is drawn
// without its background and with room below, so nothing is clipped at its
// bottom edge; each pixel row of the screen counts.
inline QRectF labelInk(QLabel *label)
{
    const QSize size = label->size();
    const qreal ratio = label->devicePixelRatioF();
    label->resize(size.width(), size.height() * 4);
    QImage image((QSizeF(label->size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    label->render(&image, {}, {}, QWidget::DrawChildren);
    label->resize(size);
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 32)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return {QPointF(ink.topLeft()) / ratio, QSizeF(ink.size()) / ratio};
}

// The room a button's or a box's style leaves for its text.
inline QRect textRoom(QWidget *control)
{
    if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const bool radio = qobject_cast<QRadioButton *>(button);
        return control->style()->subElementRect(radio ? QStyle::SE_RadioButtonContents
                                                      : QStyle::SE_PushButtonContents,
                                                &option, button);
    }
    QStyleOptionFrame option;
    option.initFrom(control);
    option.lineWidth = control->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option);
    return control->style()->subElementRect(QStyle::SE_LineEditContents, &option, control);
}

// The visible controls of a window whose text does not fit, each with what
// is cut; empty when every text is whole.
inline QStringList textsCut(const QWidget &window)
{
    QStringList cut;
    for (QWidget *control : window.findChildren<QWidget *>()) {
        if (!control->isVisible())
            continue;
        const QString name = control->objectName();
        if (auto *label = qobject_cast<QLabel *>(control); label && !label->text().isEmpty()) {
            const QRectF ink = labelInk(label);
            if (!QRectF(label->rect()).contains(ink))
                cut << QStringLiteral("%1: letters reach %2,%3 in %4x%5")
                           .arg(name)
                           .arg(ink.right())
                           .arg(ink.bottom())
                           .arg(label->width())
                           .arg(label->height());
            continue;
        }
        QString text;
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            text = button->text();
        else if (auto *box = qobject_cast<QLineEdit *>(control))
            text = box->text();
        if (text.isEmpty())
            continue;
        const QFontMetrics metrics(control->font());
        const QRect room = textRoom(control);
        const QSize needed(metrics.horizontalAdvance(text), metrics.height());
        if (needed.width() > room.width() || needed.height() > room.height())
            cut << QStringLiteral("%1: needs %2x%3 in %4x%5")
                       .arg(name)
                       .arg(needed.width())
                       .arg(needed.height())
                       .arg(room.width())
                       .arg(room.height());
    }
    return cut;
}

// Each named control's face as it is drawn: family, pixel size, weight and slant.
inline QStringList facesInUse(const QWidget &window)
{
    QStringList faces;
    for (QWidget *control : window.findChildren<QWidget *>()) {
        if (control->objectName().isEmpty())
            continue;
        const QFontInfo info(control->font());
        faces << QStringLiteral("%1: %2 %3 px %4%5")
                     .arg(control->objectName(), info.family())
                     .arg(info.pixelSize())
                     .arg(info.weight())
                     .arg(info.italic() ? " italic" : "");
    }
    return faces;
}
