// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// Seeded gradient noise and fractal sums of it, for clouds, coastlines, stars
// and flames. Values lie roughly in -1..1.
namespace noise {

double gradient3(double x, double y, double z, std::uint32_t seed);
double fbm3(double x, double y, double z, int octaves, std::uint32_t seed);
// Sum of absolute octaves: the puffy, billowing look of smoke and flame.
double turbulence3(double x, double y, double z, int octaves, std::uint32_t seed);

// Distance to the nearest of one random point per unit cell (0 at a point,
// about 1 at most): round cells, the puffs of a billowing cloud.
double cellular3(double x, double y, double z, std::uint32_t seed);

} // namespace noise
