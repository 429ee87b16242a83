// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>

// The application icon: a light-blue satellite dish tilted up and to the left,
// a dark feed arm across it, on a pale yellow-white pedestal. The same drawing
// is painted at pixel sizes and written out as SVG for the scalable theme.
class IconPainter {
public:
    // Drawn large and averaged down, with outlines kept about one pixel wide
    // up to 128 pixels so the 16-pixel version still reads; larger sizes are
    // sharper copies of the 128-pixel one.
    QImage paint(int size) const;

    // The detailed drawing as a small SVG 1.1 document, 128 units square.
    QByteArray svg() const;

    // The fixed 16-colour palette the icon is drawn for.
    static QList<QRgb> palette16();
    // The same 16 first, then a colour cube and a grey ramp.
    static QList<QRgb> palette256();

private:
    void paintPedestal(QPainter &painter, double pixel) const;
    void paintDish(QPainter &painter, double pixel) const;
    static QString svgDefinitions();
    static QString svgPedestal();
    static QString svgDish();
};
