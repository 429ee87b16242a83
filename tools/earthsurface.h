// SPDX-License-Identifier: MIT
#pragma once

#include "landmap.h"
#include "vec3.h"

// What the Earth looks like at one point of its surface, before lighting:
// oceans, land by climate, city lights for the night side, and clouds with a
// couple of cyclones. Colours are 0..1 per channel.
class EarthSurface {
public:
    struct Sample {
        Vec3 ground;
        double land = 0.0;
        double cloud = 0.0;
        double lights = 0.0;
    };

    Sample at(double longitude, double latitude) const;

private:
    Vec3 landColour(double lon, double lat, const Vec3 &w, double coast) const;
    Vec3 oceanColour(const Vec3 &w, double coast) const;
    double cloudCover(double lon, double lat, const Vec3 &w) const;
    double cityLights(double lon, double lat, const Vec3 &w) const;

    LandMap m_map;
};

Vec3 toWorld(double longitude, double latitude);
