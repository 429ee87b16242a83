// SPDX-License-Identifier: MIT
#include "earthpainter.h"
#include "portablemath.h"

#include <QColor>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
// The view looks down on 122 degrees east, just north of the equator.
constexpr double kCentreLongitude = 122.0;
constexpr double kCentreLatitude = 4.0;
constexpr int kSubsamples = 3;

const Vec3 kSky{0.32, 0.58, 1.0};

int toByte(double value)
{
    return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

} // namespace

EarthPainter::EarthPainter(QPointF centre, double radius, double aspect)
    : m_centre(centre)
    , m_radius(radius)
    , m_aspect(aspect)
    , m_sun(Vec3{0.62, 0.5, 0.6}.normalised())
{
}

QPointF EarthPainter::project(const Vec3 &point) const
{
    return {m_centre.x() + point.x * m_radius * m_aspect, m_centre.y() - point.y * m_radius};
}

bool EarthPainter::hides(const Vec3 &point) const
{
    return point.z < 0.0 && point.x * point.x + point.y * point.y < 1.0;
}

Vec3 EarthPainter::surface(double nx, double ny) const
{
    const double nz = std::sqrt(std::max(0.0, 1.0 - nx * nx - ny * ny));
    const Vec3 normal{nx, ny, nz};
    const double tilt = kCentreLatitude * kDegree;
    const double wy = ny * portable::cos(tilt) + nz * portable::sin(tilt);
    const double wz = -ny * portable::sin(tilt) + nz * portable::cos(tilt);
    const double latitude = portable::asin(std::clamp(wy, -1.0, 1.0)) / kDegree;
    const double longitude = kCentreLongitude + portable::atan2(nx, wz) / kDegree;
    const EarthSurface::Sample s = m_surface.at(longitude, latitude);

    const double diffuse = normal.dot(m_sun);
    const double day = smoothstep(-0.1, 0.2, diffuse);
    const double lit = portable::pow(std::max(0.0, diffuse), 0.75);
    // Sunlight reddens along the terminator.
    const Vec3 sunColour =
        mix(Vec3{1.0, 0.55, 0.35}, Vec3{1.0, 0.98, 0.95}, smoothstep(0.0, 0.3, diffuse));
    const Vec3 ground{s.ground.x * sunColour.x, s.ground.y * sunColour.y, s.ground.z * sunColour.z};
    const Vec3 clouds =
        Vec3{0.93, 0.95, 0.98} * (0.02 + 1.12 * portable::pow(std::max(0.0, diffuse), 0.6));
    Vec3 colour = mix(ground * (0.015 + 1.15 * lit), clouds, s.cloud);

    const Vec3 half = (m_sun + Vec3{0.0, 0.0, 1.0}).normalised();
    const double glint = portable::pow(std::max(0.0, normal.dot(half)), 70.0) * 0.55 *
                         (1.0 - s.land) * (1.0 - s.cloud);
    colour = colour + Vec3{1.0, 0.96, 0.88} * glint;

    const double haze = portable::pow(1.0 - nz, 2.4);
    colour = mix(colour, kSky * (0.05 + 0.85 * std::max(0.0, diffuse + 0.1)), 0.6 * haze);
    colour =
        colour + Vec3{1.0, 0.62, 0.28} * (0.55 * s.lights * (1.0 - day) * (1.0 - 0.8 * s.cloud));
    return colour;
}

Vec3 EarthPainter::glow(double nx, double ny) const
{
    const double r = std::sqrt(nx * nx + ny * ny);
    const double height = (r - 1.0) * m_radius;
    const Vec3 rim{nx / r, ny / r, 0.0};
    const double lit = smoothstep(-0.35, 0.5, rim.dot(m_sun));
    const double strength =
        0.85 * portable::exp(-height / 2.2) + 0.18 * portable::exp(-height / 8.0);
    return kSky * (strength * lit);
}

EarthPainter::Pixel EarthPainter::sample(double nx, double ny) const
{
    if (nx * nx + ny * ny <= 1.0) {
        return {surface(nx, ny), 1.0};
    }
    return {glow(nx, ny), 0.0};
}

void EarthPainter::paint(QImage &image) const
{
    const double reachX = m_radius * m_aspect * 1.2;
    const double reachY = m_radius * 1.2;
    const int left = std::max(0, static_cast<int>(m_centre.x() - reachX));
    const int right = std::min(image.width() - 1, static_cast<int>(m_centre.x() + reachX));
    const int top = std::max(0, static_cast<int>(m_centre.y() - reachY));
    const int bottom = std::min(image.height() - 1, static_cast<int>(m_centre.y() + reachY));
    for (int y = top; y <= bottom; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = left; x <= right; ++x) {
            Vec3 sum;
            double coverage = 0.0;
            for (int sy = 0; sy < kSubsamples; ++sy) {
                for (int sx = 0; sx < kSubsamples; ++sx) {
                    const double px = x + (sx + 0.5) / kSubsamples;
                    const double py = y + (sy + 0.5) / kSubsamples;
                    const Pixel p = sample((px - m_centre.x()) / (m_radius * m_aspect),
                                           -(py - m_centre.y()) / m_radius);
                    sum = sum + p.colour;
                    coverage += p.coverage;
                }
            }
            const double n = kSubsamples * kSubsamples;
            const QColor under(line[x]);
            const double keep = 1.0 - coverage / n;
            line[x] = qRgb(toByte(under.redF() * keep + sum.x / n),
                           toByte(under.greenF() * keep + sum.y / n),
                           toByte(under.blueF() * keep + sum.z / n));
        }
    }
}
