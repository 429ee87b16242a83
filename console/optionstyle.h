// SPDX-License-Identifier: MIT
#pragma once

#include <QProxyStyle>

// The option buttons' look: their selection circle has a fixed light face and
// a dark mark, so it reads the same on their black rectangles under any
// palette and style (a dark palette would paint it dark on black). Everything
// else is drawn by the application's own style.
class OptionStyle : public QProxyStyle {
    Q_OBJECT

public:
    explicit OptionStyle(QObject *parent);

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

private:
    void drawIndicator(const QStyleOption *option, QPainter *painter) const;
};
