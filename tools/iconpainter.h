#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

// The application icon: a light-blue satellite dish tilted up and to the left,
// a dark feed arm across it, on a pale yellow-white pedestal.
class IconPainter {
public:
    // Drawn large and averaged down, with outlines kept about one pixel wide
    // at every size so the 16-pixel version still reads.
    QImage paint(int size) const;

    // The fixed 16-colour palette the icon is drawn for.
    static QList<QRgb> palette16();
    // The same 16 first, then a colour cube and a grey ramp.
    static QList<QRgb> palette256();

private:
    void paintPedestal(QPainter &painter, double pixel) const;
    void paintDish(QPainter &painter, double pixel) const;
};
