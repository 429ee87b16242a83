// SPDX-License-Identifier: MIT
#pragma once

#include "earthsurface.h"
#include "vec3.h"

#include <QImage>
#include <QPointF>

// Paints the Earth as a lit sphere seen from above the western Pacific: day
// side to the upper right, night to the lower left, a thin blue atmosphere
// round the rim. Also projects points of its 3-D space for the orbits.
class EarthPainter {
public:
    // radius in image rows; aspect stretches it across to stay round once the
    // picture is scaled unevenly for display.
    EarthPainter(QPointF centre, double radius, double aspect);

    void paint(QImage &image) const;

    // Points are in Earth radii, x right, y up, z towards the viewer.
    QPointF project(const Vec3 &point) const;
    bool hides(const Vec3 &point) const;

private:
    struct Pixel {
        Vec3 colour;
        double coverage = 0.0;
    };

    Pixel sample(double nx, double ny) const;
    Vec3 surface(double nx, double ny) const;
    Vec3 glow(double nx, double ny) const;

    EarthSurface m_surface;
    QPointF m_centre;
    double m_radius;
    double m_aspect;
    Vec3 m_sun;
};
