// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

// The land masses of the hemisphere the background shows (East Asia, the
// Indies and Australia) as coarse outlines, rasterised once into a grid of
// longitude and latitude and blurred for the shallow seas along the coasts.
class LandMap {
public:
    LandMap();

    // Share of land around a point, 0..1 (fractional along coastlines).
    double land(double longitude, double latitude) const;
    // Land blurred over a few degrees: high in shelf seas and near coasts.
    double coast(double longitude, double latitude) const;

private:
    static double sample(const std::vector<float> &grid, double longitude, double latitude);
    void rasterise();
    void blur(int radius);

    std::vector<float> m_land;
    std::vector<float> m_coast;
};
