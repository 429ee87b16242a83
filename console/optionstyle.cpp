// SPDX-License-Identifier: MIT
#include "optionstyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

namespace {

const QColor Face(255, 255, 255);
const QColor PressedFace(224, 224, 224);
const QColor DisabledFace(200, 200, 200);
const QColor Rim(96, 96, 96);
const QColor Mark(0, 0, 0);
const QColor DisabledMark(80, 80, 80);

} // namespace

// A style of the application's kind of its own, as a proxy owns its base.
OptionStyle::OptionStyle(QObject *parent)
    : QProxyStyle(QApplication::style()->name())
{
    setParent(parent);
}

void OptionStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                QPainter *painter, const QWidget *widget) const
{
    if (element == PE_IndicatorRadioButton)
        drawIndicator(option, painter);
    else
        QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void OptionStyle::drawIndicator(const QStyleOption *option, QPainter *painter) const
{
    const bool enabled = option->state & State_Enabled;
    const bool keyboardFocus =
        (option->state & State_HasFocus) && (option->state & State_KeyboardFocusChange);
    QColor face = enabled ? Face : DisabledFace;
    if (enabled && (option->state & State_Sunken))
        face = PressedFace;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF circle = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    painter->setPen(QPen(keyboardFocus ? option->palette.color(QPalette::Highlight) : Rim,
                         keyboardFocus ? 2.0 : 1.0));
    painter->setBrush(face);
    painter->drawEllipse(circle);
    if (option->state & State_On) {
        const qreal radius = circle.width() / 4.5;
        painter->setPen(Qt::NoPen);
        painter->setBrush(enabled ? Mark : DisabledMark);
        painter->drawEllipse(circle.center(), radius, radius);
    }
    painter->restore();
}
