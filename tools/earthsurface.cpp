// SPDX-License-Identifier: MIT
#include "earthsurface.h"

#include "noise.h"
#include "portablemath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

double bell(double x, double centre, double width)
{
    const double d = (x - centre) / width;
    return portable::exp(-d * d);
}

double region(double lon, double lat, double west, double east, double south, double north,
              double soft)
{
    return smoothstep(west - soft, west + soft, lon) *
           (1.0 - smoothstep(east - soft, east + soft, lon)) *
           smoothstep(south - soft, south + soft, lat) *
           (1.0 - smoothstep(north - soft, north + soft, lat));
}

struct Cyclone {
    double lon;
    double lat;
    double radius;
    double turns;
};

// A typhoon east of the Philippines, a storm south of Japan and a low in the
// Southern Ocean, turning the other way as southern storms do.
constexpr std::array<Cyclone, 3> kCyclones = {{
    {137.0, 16.0, 7.0, 3.2},
    {150.0, 36.0, 9.0, 2.0},
    {108.0, -44.0, 11.0, -2.6},
}};

Vec3 rotateAbout(const Vec3 &v, const Vec3 &axis, double angle)
{
    const double c = portable::cos(angle);
    const double s = portable::sin(angle);
    return v * c + axis.cross(v) * s + axis * (axis.dot(v) * (1.0 - c));
}

} // namespace

Vec3 toWorld(double longitude, double latitude)
{
    const double lon = longitude * kDegree;
    const double lat = latitude * kDegree;
    return {portable::cos(lat) * portable::sin(lon), portable::sin(lat),
            portable::cos(lat) * portable::cos(lon)};
}

EarthSurface::Sample EarthSurface::at(double longitude, double latitude) const
{
    const Vec3 w = toWorld(longitude, latitude);
    // Roughen the coarse outlines into believable coasts at two scales.
    const double lon = longitude + 1.3 * noise::fbm3(w.x * 7.0, w.y * 7.0, w.z * 7.0, 4, 3U) +
                       0.35 * noise::fbm3(w.x * 25.0, w.y * 25.0, w.z * 25.0, 3, 4U);
    const double lat = latitude + 1.3 * noise::fbm3(w.x * 7.0, w.y * 7.0, w.z * 7.0, 4, 5U) +
                       0.35 * noise::fbm3(w.x * 25.0, w.y * 25.0, w.z * 25.0, 3, 6U);
    const double coast = m_map.coast(lon, lat);
    Sample sample;
    sample.land = smoothstep(0.3, 0.7, m_map.land(lon, lat));
    sample.ground = mix(oceanColour(w, coast), landColour(lon, lat, w, coast), sample.land);
    sample.cloud = cloudCover(longitude, latitude, w);
    sample.lights = sample.land * cityLights(lon, lat, w);
    return sample;
}

Vec3 EarthSurface::oceanColour(const Vec3 &w, double coast) const
{
    const Vec3 deep{0.012, 0.075, 0.215};
    const Vec3 open{0.03, 0.15, 0.36};
    const Vec3 shelf{0.05, 0.26, 0.42};
    const double swell = 0.5 + 0.5 * noise::fbm3(w.x * 5.0, w.y * 5.0, w.z * 5.0, 4, 17U);
    const Vec3 base = mix(deep, open, swell);
    return mix(base, shelf, 0.45 * smoothstep(0.25, 0.6, coast));
}

Vec3 EarthSurface::landColour(double lon, double lat, const Vec3 &w, double coast) const
{
    const Vec3 rainforest{0.1, 0.24, 0.08};
    const Vec3 temperate{0.24, 0.31, 0.15};
    const Vec3 steppe{0.52, 0.47, 0.33};
    const Vec3 desert{0.62, 0.4, 0.24};
    const Vec3 highland{0.4, 0.34, 0.28};
    const Vec3 taiga{0.13, 0.2, 0.11};
    const Vec3 ice{0.86, 0.89, 0.92};

    const double mottle = noise::fbm3(w.x * 30.0, w.y * 30.0, w.z * 30.0, 4, 29U);
    const double tropics = 1.0 - smoothstep(14.0, 26.0, std::fabs(lat));
    Vec3 colour = mix(temperate, rainforest, tropics);
    colour = mix(colour, taiga, smoothstep(48.0, 58.0, lat));
    colour = mix(colour, steppe, smoothstep(64.0, 70.0, lat) * 0.7);
    // Deserts: the Australian interior, the Gobi, north-west India.
    const double outback = region(lon, lat, 114.0, 150.0, -36.0, -16.0, 3.0) *
                           smoothstep(0.55, 0.85, coast + 0.15 * mottle);
    const double gobi = region(lon, lat, 75.0, 114.0, 36.0, 47.0, 4.0);
    const double thar = region(lon, lat, 60.0, 76.0, 22.0, 32.0, 3.0);
    colour = mix(colour, desert, std::clamp(outback + 0.3 * thar, 0.0, 1.0));
    colour = mix(colour, steppe, std::clamp(gobi + 0.5 * thar, 0.0, 1.0));
    const double tibet = region(lon, lat, 78.0, 102.0, 28.0, 37.0, 3.0);
    colour = mix(colour, highland, tibet);
    const double snow = std::max(tibet * smoothstep(0.1, 0.4, mottle), smoothstep(71.0, 76.0, lat));
    colour = mix(colour, ice, std::max(snow, 1.0 - smoothstep(-66.0, -61.0, lat)));
    return colour * (0.82 + 0.36 * (mottle + 0.5) * 0.5 + 0.18 * mottle);
}

double EarthSurface::cloudCover(double lon, double lat, const Vec3 &w) const
{
    Vec3 p = w;
    for (const Cyclone &c : kCyclones) {
        const Vec3 centre = toWorld(c.lon, c.lat);
        const double distance = portable::acos(std::clamp(p.dot(centre), -1.0, 1.0)) / kDegree;
        p = rotateAbout(p, centre, c.turns * portable::exp(-distance / c.radius));
    }
    const Vec3 warp{noise::fbm3(p.x * 2.5, p.y * 2.5, p.z * 2.5, 3, 51U),
                    noise::fbm3(p.x * 2.5, p.y * 2.5, p.z * 2.5, 3, 52U),
                    noise::fbm3(p.x * 2.5, p.y * 2.5, p.z * 2.5, 3, 53U)};
    const Vec3 q = p * 4.0 + warp * 1.2;
    const double billows = noise::fbm3(q.x, q.y, q.z, 6, 61U);
    // East-west streaks of the storm tracks.
    const double streaks = noise::fbm3(lon / 9.0, lat / 2.2, 0.5, 4, 71U);
    const double midLatitudes = bell(std::fabs(lat), 48.0, 12.0);
    double bias = -0.03 + 0.16 * bell(lat, 6.0, 7.0) - 0.12 * bell(std::fabs(lat), 24.0, 7.0) +
                  0.08 * midLatitudes;
    bias -= 0.18 * region(lon, lat, 118.0, 142.0, -32.0, -18.0, 4.0);
    for (const Cyclone &c : kCyclones) {
        const double distance =
            portable::acos(std::clamp(w.dot(toWorld(c.lon, c.lat)), -1.0, 1.0)) / kDegree;
        bias += 0.22 * bell(distance, 0.0, c.radius * 0.9) - 0.5 * bell(distance, 0.0, 0.7);
    }
    const double density = billows + 0.55 * midLatitudes * streaks + bias;
    // Thick decks, plus thin wisps that let the surface show through.
    const Vec3 f = q * 3.1;
    const double wisps = smoothstep(-0.05, 0.35, noise::fbm3(f.x, f.y, f.z, 4, 67U));
    return std::max(smoothstep(0.0, 0.3, density), 0.45 * wisps * smoothstep(-0.25, 0.0, density));
}

double EarthSurface::cityLights(double lon, double lat, const Vec3 &w) const
{
    const double people = region(lon, lat, 104.0, 122.0, 21.0, 41.0, 3.0) +
                          region(lon, lat, 129.0, 142.0, 31.0, 40.0, 1.5) +
                          region(lon, lat, 105.0, 115.0, -8.5, -5.5, 1.0) +
                          region(lon, lat, 72.0, 89.0, 10.0, 30.0, 3.0) * 0.7;
    const double speckle = noise::fbm3(w.x * 60.0, w.y * 60.0, w.z * 60.0, 3, 83U);
    return std::clamp(people, 0.0, 1.0) * smoothstep(0.05, 0.35, speckle);
}
