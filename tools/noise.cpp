// SPDX-License-Identifier: MIT
#include "noise.h"

#include <algorithm>
#include <cmath>

namespace {

std::uint32_t hash(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B9U;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6BU;
    h = (h << 13U) | (h >> 19U);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35U;
    h = (h << 13U) | (h >> 19U);
    h ^= static_cast<std::uint32_t>(z) * 0x27D4EB2FU;
    h ^= h >> 16U;
    h *= 0x7FEB352DU;
    h ^= h >> 15U;
    h *= 0x846CA68BU;
    h ^= h >> 16U;
    return h;
}

double grad(std::uint32_t h, double x, double y, double z)
{
    // The twelve cube-edge directions (plus four repeats) of classic Perlin noise.
    switch (h & 15U) {
    case 0:
        return x + y;
    case 1:
        return -x + y;
    case 2:
        return x - y;
    case 3:
        return -x - y;
    case 4:
        return x + z;
    case 5:
        return -x + z;
    case 6:
        return x - z;
    case 7:
        return -x - z;
    case 8:
        return y + z;
    case 9:
        return -y + z;
    case 10:
        return y - z;
    case 11:
        return -y - z;
    case 12:
        return x + y;
    case 13:
        return -y + z;
    case 14:
        return -x + y;
    default:
        return -y - z;
    }
}

double fade(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

double lerp(double a, double b, double t)
{
    return a + (b - a) * t;
}

} // namespace

namespace noise {

double gradient3(double x, double y, double z, std::uint32_t seed)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const double fz = std::floor(z);
    const auto ix = static_cast<std::int32_t>(fx);
    const auto iy = static_cast<std::int32_t>(fy);
    const auto iz = static_cast<std::int32_t>(fz);
    const double dx = x - fx;
    const double dy = y - fy;
    const double dz = z - fz;
    const double u = fade(dx);
    const double v = fade(dy);
    const double w = fade(dz);
    auto corner = [&](int cx, int cy, int cz) {
        return grad(hash(ix + cx, iy + cy, iz + cz, seed), dx - cx, dy - cy, dz - cz);
    };
    const double x00 = lerp(corner(0, 0, 0), corner(1, 0, 0), u);
    const double x10 = lerp(corner(0, 1, 0), corner(1, 1, 0), u);
    const double x01 = lerp(corner(0, 0, 1), corner(1, 0, 1), u);
    const double x11 = lerp(corner(0, 1, 1), corner(1, 1, 1), u);
    return lerp(lerp(x00, x10, v), lerp(x01, x11, v), w);
}

double fbm3(double x, double y, double z, int octaves, std::uint32_t seed)
{
    double sum = 0.0;
    double amplitude = 0.5;
    double norm = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * gradient3(x, y, z, seed + static_cast<std::uint32_t>(i) * 101U);
        norm += amplitude;
        x *= 2.03;
        y *= 2.03;
        z *= 2.03;
        amplitude *= 0.5;
    }
    return sum / norm;
}

double turbulence3(double x, double y, double z, int octaves, std::uint32_t seed)
{
    double sum = 0.0;
    double amplitude = 0.5;
    double norm = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum +=
            amplitude * std::fabs(gradient3(x, y, z, seed + static_cast<std::uint32_t>(i) * 131U));
        norm += amplitude;
        x *= 2.01;
        y *= 2.01;
        z *= 2.01;
        amplitude *= 0.5;
    }
    return sum / norm;
}

double cellular3(double x, double y, double z, std::uint32_t seed)
{
    const auto ix = static_cast<std::int32_t>(std::floor(x));
    const auto iy = static_cast<std::int32_t>(std::floor(y));
    const auto iz = static_cast<std::int32_t>(std::floor(z));
    double nearest = 8.0;
    for (int dz = -1; dz <= 1; ++dz) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const std::uint32_t h = hash(ix + dx, iy + dy, iz + dz, seed);
                const double px = ix + dx + (h & 1023U) / 1024.0;
                const double py = iy + dy + ((h >> 10U) & 1023U) / 1024.0;
                const double pz = iz + dz + ((h >> 20U) & 1023U) / 1024.0;
                const double d2 = (x - px) * (x - px) + (y - py) * (y - py) + (z - pz) * (z - pz);
                nearest = std::min(nearest, d2);
            }
        }
    }
    return std::sqrt(nearest);
}

} // namespace noise
