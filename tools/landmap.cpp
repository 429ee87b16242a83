// SPDX-License-Identifier: MIT
#include "landmap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

namespace {

struct LonLat {
    double lon;
    double lat;
};

constexpr double kWest = 20.0;
constexpr double kSouth = -80.0;
constexpr double kStep = 0.25;
constexpr int kColumns = 880;
constexpr int kRows = 680;

// Coarse outlines, a few degrees per vertex; the painter roughens the coasts
// with noise, so they only need the right shapes in the right places.
constexpr LonLat kAsia[] = {
    {103.5, 1.3},  {103.2, 5.0},  {102.0, 6.2},  {100.6, 8.0},  {100.0, 12.5}, {102.5, 12.0},
    {105.0, 8.8},  {106.8, 10.4}, {109.2, 12.0}, {108.8, 15.5}, {106.2, 18.5}, {106.6, 20.6},
    {108.2, 21.6}, {110.3, 20.4}, {111.2, 21.6}, {113.6, 22.3}, {117.2, 23.6}, {119.6, 26.0},
    {121.8, 28.8}, {121.9, 31.2}, {120.8, 32.5}, {119.3, 35.0}, {122.5, 37.2}, {120.6, 37.6},
    {118.6, 38.1}, {117.8, 39.2}, {121.2, 40.8}, {122.2, 40.4}, {121.4, 39.0}, {124.2, 39.8},
    {125.2, 37.7}, {126.6, 37.6}, {126.4, 34.6}, {129.2, 35.2}, {129.6, 37.0}, {128.4, 38.6},
    {129.8, 41.2}, {131.0, 42.6}, {133.2, 42.8}, {136.2, 44.8}, {138.6, 47.2}, {140.4, 48.8},
    {141.4, 52.2}, {140.6, 53.6}, {137.4, 54.0}, {135.4, 54.8}, {139.0, 57.4}, {142.6, 59.2},
    {148.8, 59.4}, {152.2, 59.0}, {155.0, 59.6}, {156.6, 57.4}, {156.0, 51.2}, {158.6, 52.8},
    {162.2, 56.2}, {163.2, 58.0}, {160.4, 60.8}, {164.0, 62.2}, {170.0, 60.0}, {177.2, 62.4},
    {179.6, 64.6}, {186.0, 65.2}, {190.0, 66.4}, {182.0, 67.8}, {180.0, 69.2}, {170.0, 70.0},
    {160.0, 69.8}, {150.0, 71.4}, {140.0, 72.4}, {128.0, 72.6}, {120.0, 73.4}, {112.0, 76.4},
    {100.0, 78.0}, {90.0, 75.6},  {80.0, 73.4},  {70.0, 73.0},  {60.0, 70.0},  {40.0, 68.0},
    {30.0, 60.0},  {30.0, 42.0},  {40.0, 38.0},  {48.0, 30.0},  {56.0, 26.6},  {62.0, 25.2},
    {66.6, 25.4},  {68.8, 23.4},  {70.4, 21.0},  {72.8, 21.2},  {72.8, 17.6},  {74.6, 13.6},
    {76.4, 8.8},   {77.6, 8.1},   {78.6, 9.2},   {80.2, 11.4},  {80.2, 15.6},  {82.4, 17.0},
    {86.8, 20.4},  {87.2, 21.6},  {89.4, 21.8},  {91.8, 22.4},  {92.6, 20.6},  {94.2, 17.6},
    {94.6, 16.0},  {97.6, 16.6},  {98.0, 14.0},  {98.6, 10.0},  {98.4, 8.2},   {100.4, 6.4},
    {101.2, 2.8},
};
constexpr LonLat kAustralia[] = {
    {113.6, -22.0}, {113.4, -26.0}, {114.6, -28.8}, {115.0, -33.6}, {117.8, -35.1}, {123.6, -33.9},
    {126.0, -32.3}, {131.2, -31.5}, {134.2, -32.8}, {135.8, -34.8}, {137.8, -33.0}, {137.6, -35.6},
    {140.4, -37.9}, {143.6, -38.8}, {146.4, -39.1}, {149.9, -37.5}, {150.8, -34.6}, {152.6, -32.0},
    {153.6, -28.6}, {153.0, -25.4}, {150.8, -22.6}, {149.0, -21.0}, {146.2, -18.8}, {145.4, -15.0},
    {143.6, -14.0}, {142.6, -10.8}, {141.6, -13.0}, {141.4, -16.8}, {139.4, -17.4}, {136.4, -15.6},
    {136.8, -12.4}, {135.4, -12.0}, {132.6, -11.4}, {130.2, -12.6}, {129.4, -15.0}, {126.8, -13.8},
    {125.2, -15.2}, {122.2, -17.6}, {121.2, -19.4}, {117.6, -20.6},
};
constexpr LonLat kTasmania[] = {{144.6, -40.8}, {148.2, -40.9}, {148.0, -43.2}, {146.0, -43.6}};
constexpr LonLat kNewGuinea[] = {
    {131.0, -1.2}, {134.0, -0.8}, {135.4, -3.4},  {138.0, -1.8},  {141.0, -2.6},
    {145.6, -4.8}, {147.6, -6.6}, {150.4, -10.4}, {147.2, -10.2}, {144.0, -7.8},
    {141.8, -9.0}, {138.8, -8.2}, {137.6, -5.2},  {133.4, -4.0},  {132.0, -2.8},
};
constexpr LonLat kBorneo[] = {
    {109.0, 1.6},  {109.6, 2.0},  {111.2, 2.6},  {113.6, 3.8},  {115.6, 5.4},
    {117.2, 7.0},  {119.2, 5.2},  {118.0, 4.2},  {117.8, 1.0},  {116.6, -1.4},
    {116.0, -3.8}, {114.4, -3.6}, {111.6, -3.4}, {110.2, -2.8}, {109.2, -0.6},
};
constexpr LonLat kSumatra[] = {
    {95.2, 5.6},   {97.8, 5.2},   {100.4, 2.2},  {103.8, -0.6}, {106.0, -3.2},
    {105.8, -5.8}, {104.4, -5.8}, {102.2, -4.0}, {100.6, -1.4}, {98.6, 1.6},
};
constexpr LonLat kJava[] = {{105.2, -6.8}, {108.4, -6.2}, {112.6, -6.8}, {114.6, -7.6},
                            {114.4, -8.6}, {110.0, -8.2}, {106.4, -7.4}};
constexpr LonLat kLesserSundas[] = {{115.0, -8.2}, {120.0, -8.4}, {125.0, -8.2},
                                    {127.2, -8.4}, {125.0, -9.6}, {119.0, -9.0}};
constexpr LonLat kSulawesi[] = {{119.6, 0.6},  {121.0, 1.2},  {124.8, 1.4},  {121.6, 0.4},
                                {120.8, -1.2}, {123.2, -0.8}, {121.6, -2.8}, {123.0, -5.4},
                                {121.4, -4.8}, {120.4, -5.6}, {119.4, -3.2}, {118.8, -1.4}};
constexpr LonLat kPhilippines[] = {{120.4, 18.4}, {122.2, 18.4}, {122.0, 15.6}, {124.2, 12.6},
                                   {125.6, 10.0}, {126.6, 7.2},  {125.4, 5.8},  {122.2, 7.0},
                                   {123.2, 9.6},  {121.6, 11.8}, {120.6, 14.2}, {119.8, 16.0}};
constexpr LonLat kTaiwan[] = {{120.2, 23.0}, {121.0, 25.2}, {122.0, 25.0}, {120.8, 22.0}};
constexpr LonLat kHainan[] = {{108.6, 19.2}, {110.4, 20.1}, {111.0, 19.6}, {109.6, 18.2}};
constexpr LonLat kJapan[] = {
    {129.8, 31.4}, {130.2, 33.6}, {131.2, 34.4}, {133.2, 35.6}, {135.8, 35.8},
    {137.2, 37.0}, {139.4, 38.2}, {139.8, 40.0}, {140.2, 41.4}, {141.6, 41.2},
    {142.0, 39.6}, {140.8, 37.0}, {140.8, 35.6}, {139.6, 34.8}, {137.0, 34.4},
    {135.2, 33.6}, {133.6, 33.4}, {132.0, 33.0}, {131.6, 31.4},
};
constexpr LonLat kHokkaido[] = {{140.0, 42.4}, {141.6, 45.4}, {143.2, 44.2},
                                {145.4, 43.4}, {143.4, 42.0}, {141.0, 41.8}};
constexpr LonLat kSakhalin[] = {{141.8, 46.2}, {142.2, 54.2}, {143.2, 53.4}, {143.6, 46.8}};
constexpr LonLat kNewZealand[] = {{172.6, -34.4}, {178.6, -37.6}, {176.8, -39.8},
                                  {174.6, -41.4}, {171.4, -44.2}, {167.0, -46.4},
                                  {166.6, -45.6}, {171.0, -41.8}, {174.6, -38.4}};
constexpr LonLat kAntarctica[] = {{20.0, -69.0},  {60.0, -67.4},  {90.0, -66.2},  {120.0, -66.6},
                                  {150.0, -68.4}, {170.0, -71.8}, {200.0, -78.0}, {220.0, -74.0},
                                  {220.0, -80.0}, {20.0, -80.0}};

constexpr std::array<std::span<const LonLat>, 17> kOutlines = {
    kAsia,  kAustralia,    kTasmania, kNewGuinea,   kBorneo,     kSumatra,
    kJava,  kLesserSundas, kSulawesi, kPhilippines, kTaiwan,     kHainan,
    kJapan, kHokkaido,     kSakhalin, kNewZealand,  kAntarctica,
};

bool inside(std::span<const LonLat> outline, double lon, double lat)
{
    bool in = false;
    for (std::size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
        const LonLat &a = outline[i];
        const LonLat &b = outline[j];
        if ((a.lat > lat) != (b.lat > lat) &&
            lon < (b.lon - a.lon) * (lat - a.lat) / (b.lat - a.lat) + a.lon) {
            in = !in;
        }
    }
    return in;
}

} // namespace

LandMap::LandMap()
{
    rasterise();
    blur(10);
}

void LandMap::rasterise()
{
    m_land.assign(static_cast<std::size_t>(kColumns) * kRows, 0.0F);
    for (int row = 0; row < kRows; ++row) {
        const double lat = kSouth + (row + 0.5) * kStep;
        for (int column = 0; column < kColumns; ++column) {
            const double lon = kWest + (column + 0.5) * kStep;
            const bool land = std::ranges::any_of(
                kOutlines, [&](auto outline) { return inside(outline, lon, lat); });
            m_land[static_cast<std::size_t>(row) * kColumns + column] = land ? 1.0F : 0.0F;
        }
    }
}

void LandMap::blur(int radius)
{
    // Two box passes each way approximate a soft bell.
    auto pass = [&](std::vector<float> &grid, bool horizontal) {
        std::vector<float> out(grid.size(), 0.0F);
        const int length = horizontal ? kColumns : kRows;
        const int lines = horizontal ? kRows : kColumns;
        for (int line = 0; line < lines; ++line) {
            auto at = [&](int i) -> std::size_t {
                const int clamped = std::clamp(i, 0, length - 1);
                return horizontal ? static_cast<std::size_t>(line) * kColumns + clamped
                                  : static_cast<std::size_t>(clamped) * kColumns + line;
            };
            double sum = 0.0;
            for (int i = -radius; i <= radius; ++i) {
                sum += grid[at(i)];
            }
            for (int i = 0; i < length; ++i) {
                out[at(i)] = static_cast<float>(sum / (2 * radius + 1));
                sum += grid[at(i + radius + 1)] - grid[at(i - radius)];
            }
        }
        grid.swap(out);
    };
    m_coast = m_land;
    for (int i = 0; i < 2; ++i) {
        pass(m_coast, true);
        pass(m_coast, false);
    }
}

double LandMap::sample(const std::vector<float> &grid, double longitude, double latitude)
{
    const double x = std::clamp((longitude - kWest) / kStep - 0.5, 0.0, kColumns - 1.001);
    const double y = std::clamp((latitude - kSouth) / kStep - 0.5, 0.0, kRows - 1.001);
    const auto x0 = static_cast<int>(x);
    const auto y0 = static_cast<int>(y);
    const double fx = x - x0;
    const double fy = y - y0;
    auto at = [&](int cx, int cy) {
        return static_cast<double>(grid[static_cast<std::size_t>(cy) * kColumns + cx]);
    };
    const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
    const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
    return top + (bottom - top) * fy;
}

double LandMap::land(double longitude, double latitude) const
{
    return sample(m_land, longitude, latitude);
}

double LandMap::coast(double longitude, double latitude) const
{
    return sample(m_coast, longitude, latitude);
}
