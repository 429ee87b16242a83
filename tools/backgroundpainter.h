// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPointF>

class EarthPainter;

// The console's background picture, 739 x 409: stars, the Earth with its
// orbits, the satellite, its laser beam and the green cone from its dish.
// The console shows it squeezed to 433 x 249 with text on top, so the places
// the layout writes on are kept dark.
class BackgroundPainter {
public:
    static constexpr int kWidth = 739;
    static constexpr int kHeight = 409;
    // The console's picture control, which shows it at scale 1.
    static constexpr int kConsoleWidth = 433;
    static constexpr int kConsoleHeight = 249;

    QImage paint() const;

    // From the 433 x 249 console to picture pixels.
    static QPointF fromConsole(double x, double y);

private:
    void paintStars(QImage &image) const;
    void paintOrbits(QImage &image, const EarthPainter &earth) const;
    void paintLaser(QImage &image, QPointF from, QPointF to) const;
    void paintCone(QImage &image, QPointF from, QPointF to) const;
    void bloom(QImage &image) const;
};
