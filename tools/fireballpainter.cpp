#include "fireballpainter.h"

#include "noise.h"
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
    const double x = u / phase.size;
    const double y = v / phase.size;
    const double r = std::sqrt(x * x + y * y);
    const double angle = std::atan2(y, x);
    const double lumps =
        noise::fbm3(std::cos(angle) * 1.6, std::sin(angle) * 1.6, phase.time * 0.5, 4, 11U);
    const double billow =
        noise::turbulence3(x * 2.6, y * 2.6 - phase.time * 0.4, phase.time, 5, 23U);
    const double edge = 1.0 + 0.32 * lumps + 0.45 * (billow - 0.25);
    const double body = smoothstep(0.0, 0.35, edge - r);
    const double core = std::exp(-r * r / 0.18);
    const double creases = 0.35 + 2.2 * billow;
    double value = body * (0.32 * creases + 0.75 * core);
    if (phase.breakup > 0.0) {
        const double holes = noise::fbm3(x * 3.5, y * 3.5, phase.time + 7.0, 4, 41U);
        value *= smoothstep(phase.breakup - 0.55, phase.breakup - 0.15, holes + 0.35);
    }
    return value * phase.brightness;
}

double FireballPainter::sparks(double u, double v, const Phase &phase) const
{
    Random random(0xF1AE5ULL);
    double value = 0.0;
    for (int i = 0; i < 40; ++i) {
        const double angle = random.uniform(0.0, 2.0 * std::numbers::pi);
        const double reach = random.uniform(0.95, 1.55) * (0.85 + 0.35 * phase.size);
        const double size = random.uniform(0.012, 0.03);
        const double sx = std::cos(angle) * reach;
        const double sy = std::sin(angle) * reach * 0.95 + 0.12 * phase.time;
        const double d2 = (u - sx) * (u - sx) + (v - sy) * (v - sy);
        value = std::max(value, std::exp(-d2 / (size * size)) * random.uniform(0.45, 0.9));
    }
    return value * std::min(1.0, phase.brightness * 1.4) * (phase.size > 0.5 ? 1.0 : 0.0);
}

std::vector<double> FireballPainter::heatMap(int frame, int width, int height, double centreY,
                                             double scale) const
{
    const Phase phase = phaseOf(frame);
    std::vector<double> out(static_cast<std::size_t>(width) * height);
    const double centreX = width / 2.0;
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            const double u = (px + 0.5 - centreX) / scale;
            const double v = (py + 0.5 - centreY) / scale;
            const double value = std::max(heat(u, v, phase), sparks(u, v, phase));
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
    const std::vector<double> fine =
        heatMap(0, size * kSub, size * kSub, size * kSub / 2.0, size * kSub * 0.36);
    QImage image(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double sum = 0.0;
            int covered = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const double h =
                        fine[static_cast<std::size_t>(y * kSub + sy) * size * kSub + x * kSub + sx];
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
