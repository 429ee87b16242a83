// SPDX-License-Identifier: MIT
#include "fireballpainter.h"

#include "noise.h"
#include "portablemath.h"
#include "random.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double kVisibleHeat = 0.07;

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

struct Stop {
    double heat;
    int red;
    int green;
    int blue;
};

constexpr std::array<Stop, 9> kRamp = {{
    {0.00, 12, 2, 0},
    {0.12, 70, 8, 2},
    {0.25, 140, 22, 4},
    {0.40, 205, 62, 8},
    {0.55, 240, 118, 18},
    {0.70, 255, 170, 38},
    {0.82, 255, 214, 88},
    {0.92, 255, 243, 165},
    {1.00, 255, 253, 232},
}};

QRgb rampColour(double heat)
{
    for (std::size_t i = 1; i < kRamp.size(); ++i) {
        if (heat <= kRamp[i].heat) {
            const Stop &a = kRamp[i - 1];
            const Stop &b = kRamp[i];
            const double t = (heat - a.heat) / (b.heat - a.heat);
            auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
            return qRgb(mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue));
        }
    }
    return qRgb(kRamp.back().red, kRamp.back().green, kRamp.back().blue);
}

constexpr std::array<int, 16> kBayer = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

} // namespace

FireballPainter::Phase FireballPainter::phaseOf(int frame)
{
    const double f = frame;
    if (frame <= 8) {
        return {1.0 + 0.045 * f, 1.0 - 0.095 * f, 0.09 * f, 0.22 * f};
    }
    if (frame <= 11) {
        return {1.36 + 0.02 * (f - 8), 0.2 - 0.02 * (f - 8), 0.8, 0.22 * f};
    }
    const double grow = (f - 11) / 6.0;
    return {0.2 + 0.8 * grow, 1.25 - 0.2 * grow, 0.0, 0.22 * f};
}

double FireballPainter::heat(double u, double v, const Phase &phase) const
{
    const double t = phase.time;
    const double x = u / phase.size;
    const double y = v / phase.size;
    // Warping the plane first makes the billows roll instead of sitting on a grid.
    const double wx = x + 0.22 * noise::fbm3(x * 1.4, y * 1.4, t * 0.3, 3, 13U);
    const double wy = y + 0.22 * noise::fbm3(x * 1.4, y * 1.4, t * 0.3, 3, 17U);
    const double r = std::sqrt(wx * wx + wy * wy * 1.08);
    const double angle = portable::atan2(wy, wx);
    const double lumps =
        noise::fbm3(portable::cos(angle) * 1.8, portable::sin(angle) * 1.8, t * 0.5, 4, 11U);
    // Round puffs at two sizes, bright where they bulge towards the viewer.
    const double big = 1.0 - noise::cellular3(wx * 2.0, wy * 2.0, t * 0.35, 101U);
    const double small = 1.0 - noise::cellular3(wx * 4.2, wy * 4.2, t * 0.5 + 4.0, 103U);
    const double puffs = smoothstep(0.25, 0.9, 0.6 * big + 0.4 * small);
    const double detail = noise::turbulence3(wx * 2.8, wy * 2.8 - t * 0.4, t, 5, 23U);
    const double edge = 0.97 + 0.25 * (big - 0.5) + 0.16 * lumps + 0.35 * (detail - 0.25);
    const double inside = edge - r;
    const double body = smoothstep(0.0, 0.18, inside);
    const double core = portable::exp(-r * r / 0.28);
    const double limb = 0.5 + 0.5 * smoothstep(0.0, 0.45, inside);
    const double smoke = smoothstep(0.1, 0.45, noise::fbm3(wx * 2.2, wy * 2.2, t + 3.0, 4, 31U)) *
                         smoothstep(0.45, 0.95, r);
    double value = body * limb *
                   (0.1 + 0.3 * puffs + 0.5 * smoothstep(0.04, 0.42, detail) + 0.6 * core) *
                   (1.0 - 0.6 * smoke);
    if (phase.breakup > 0.0) {
        const double holes = noise::fbm3(x * 3.5, y * 3.5, t + 7.0, 4, 41U);
        value *= smoothstep(phase.breakup - 0.55, phase.breakup - 0.15, holes + 0.35);
    }
    return value * phase.brightness;
}

std::vector<FireballPainter::Spark> FireballPainter::sparksOf(const Phase &phase)
{
    if (phase.size < 0.5) {
        return {};
    }
    Random random(0xF1AE5ULL);
    std::vector<Spark> out;
    for (int i = 0; i < 34; ++i) {
        const double angle = random.uniform(0.0, 2.0 * std::numbers::pi);
        const double reach = random.uniform(0.92, 1.5) * phase.size;
        const double length = random.uniform(0.05, 0.13);
        const double width = random.uniform(0.01, 0.02);
        const double brightness = random.uniform(0.45, 0.95);
        out.push_back(
            {portable::cos(angle), portable::sin(angle), reach, length, width, brightness});
    }
    return out;
}

double FireballPainter::sparks(double u, double v, const Phase &phase,
                               const std::vector<Spark> &streaks) const
{
    double value = 0.0;
    for (const Spark &spark : streaks) {
        // Each spark is a short streak pointing away from the centre.
        const double px = u - spark.dx * spark.reach;
        const double py = v - spark.dy * spark.reach;
        const double along = std::clamp(px * spark.dx + py * spark.dy, -spark.length, 0.0);
        const double ex = px - spark.dx * along;
        const double ey = py - spark.dy * along;
        const double fade = 1.0 + along / spark.length * 0.7;
        value =
            std::max(value, spark.brightness * fade *
                                portable::exp(-(ex * ex + ey * ey) / (spark.width * spark.width)));
    }
    return value * std::min(1.0, phase.brightness * 1.3);
}

std::vector<double> FireballPainter::heatMap(int frame, const Framing &framing,
                                             bool withSparks) const
{
    const Phase phase = phaseOf(frame);
    const std::vector<Spark> streaks = withSparks ? sparksOf(phase) : std::vector<Spark>();
    const int width = framing.width;
    std::vector<double> out(static_cast<std::size_t>(width) * framing.height);
    const double centreX = width / 2.0;
    for (int py = 0; py < framing.height; ++py) {
        for (int px = 0; px < width; ++px) {
            const double u = (px + 0.5 - centreX) / framing.scale;
            const double v = (py + 0.5 - framing.centreY) / framing.scale;
            const double spark = sparks(u, v, phase, streaks);
            const double value = std::max(heat(u, v, phase), spark);
            out[static_cast<std::size_t>(py) * width + px] = std::clamp(value, 0.0, 1.0);
        }
    }
    return out;
}

QList<QRgb> FireballPainter::palette(int count)
{
    QList<QRgb> colours{qRgb(0, 0, 0)};
    for (int i = 1; i < count; ++i) {
        colours.append(rampColour((i - 1) / static_cast<double>(count - 2)));
    }
    return colours;
}

std::vector<unsigned char> FireballPainter::toIndices(const std::vector<double> &heat, int width,
                                                      int colours)
{
    std::vector<unsigned char> out(heat.size(), 0);
    const int steps = colours - 2;
    for (std::size_t i = 0; i < heat.size(); ++i) {
        if (heat[i] < kVisibleHeat) {
            continue;
        }
        const int x = static_cast<int>(i % width);
        const int y = static_cast<int>(i / width);
        const double threshold = (kBayer[(y % 4) * 4 + x % 4] + 0.5) / 16.0 - 0.5;
        const double level =
            std::clamp(std::round(heat[i] * steps + threshold), 0.0, static_cast<double>(steps));
        out[i] = static_cast<unsigned char>(1 + level);
    }
    return out;
}

QImage FireballPainter::icon(int size) const
{
    constexpr int kSub = 4;
    const int fineSize = size * kSub;
    const std::vector<double> fine =
        heatMap(0, {fineSize, fineSize, fineSize / 2.0, fineSize * 0.44}, false);
    QImage image(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double sum = 0.0;
            int covered = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const double h = fine[static_cast<std::size_t>(y * kSub + sy) * size * kSub +
                                          static_cast<std::size_t>(x * kSub + sx)];
                    sum += h;
                    covered += h >= kVisibleHeat * 2.0 ? 1 : 0;
                }
            }
            const QRgb colour = rampColour(std::min(1.0, sum / (kSub * kSub) * 1.1));
            const int alpha = covered * 255 / (kSub * kSub);
            image.setPixel(x, y, qRgba(qRed(colour), qGreen(colour), qBlue(colour), alpha));
        }
    }
    return image;
}

QImage FireballPainter::sharpFrame(int frame, const Framing &framing, int factor) const
{
    const std::vector<double> coarse = heatMap(frame, framing);
    const Framing fineFraming = framing.times(factor);
    const std::vector<double> fine = heatMap(frame, fineFraming);
    QImage image(fineFraming.width, fineFraming.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double h = fine[static_cast<std::size_t>(y) * image.width() + x];
            const double under =
                coarse[static_cast<std::size_t>(y / factor) * framing.width + x / factor];
            line[x] = h < kVisibleHeat || under < kVisibleHeat ? qRgba(0, 0, 0, 0) : rampColour(h);
        }
    }
    return image;
}
