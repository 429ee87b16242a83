// SPDX-License-Identifier: MIT
#include "backgroundpainter.h"

#include "earthpainter.h"
#include "noise.h"
#include "portablemath.h"
#include "random.h"
#include "satellitepainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kScaleX = double(BackgroundPainter::kWidth) / BackgroundPainter::kConsoleWidth;
constexpr double kScaleY = double(BackgroundPainter::kHeight) / BackgroundPainter::kConsoleHeight;
constexpr double kDegree = std::numbers::pi / 180.0;

struct Orbit {
    double radius;
    double inclination;
    double rotation;
    int alpha;
};

constexpr std::array<Orbit, 3> kOrbits = {{
    {1.38, 16.0, -14.0, 120},
    {1.75, 24.0, 16.0, 95},
    {2.25, 8.0, 3.0, 75},
}};

void addStar(QImage &image, double x, double y, double sigma, const QColor &colour,
             double brightness)
{
    const int reach = static_cast<int>(std::ceil(sigma * 3.0));
    for (int py = static_cast<int>(y) - reach; py <= static_cast<int>(y) + reach; ++py) {
        if (py < 0 || py >= image.height()) {
            continue;
        }
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(py));
        for (int px = static_cast<int>(x) - reach; px <= static_cast<int>(x) + reach; ++px) {
            if (px < 0 || px >= image.width()) {
                continue;
            }
            const double dx = px + 0.5 - x;
            const double dy = py + 0.5 - y;
            const double w =
                brightness * portable::exp(-(dx * dx + dy * dy) / (2.0 * sigma * sigma));
            auto add = [w](int base, double channel) {
                return std::min(255, base + static_cast<int>(std::lround(w * channel * 255.0)));
            };
            line[px] =
                qRgb(add(qRed(line[px]), colour.redF()), add(qGreen(line[px]), colour.greenF()),
                     add(qBlue(line[px]), colour.blueF()));
        }
    }
}

void boxBlur(std::vector<std::array<float, 3>> &pixels, int width, int height, int radius)
{
    std::vector<std::array<float, 3>> out(pixels.size());
    auto pass = [&](bool horizontal) {
        const int length = horizontal ? width : height;
        const int lines = horizontal ? height : width;
        for (int line = 0; line < lines; ++line) {
            auto at = [&](int i) -> std::size_t {
                const int c = std::clamp(i, 0, length - 1);
                return horizontal ? static_cast<std::size_t>(line) * width + c
                                  : static_cast<std::size_t>(c) * width + line;
            };
            std::array<float, 3> sum{};
            for (int i = -radius; i <= radius; ++i) {
                for (int k = 0; k < 3; ++k) {
                    sum[k] += pixels[at(i)][k];
                }
            }
            for (int i = 0; i < length; ++i) {
                for (int k = 0; k < 3; ++k) {
                    out[at(i)][k] = sum[k] / static_cast<float>(2 * radius + 1);
                    sum[k] += pixels[at(i + radius + 1)][k] - pixels[at(i - radius)][k];
                }
            }
        }
        pixels.swap(out);
    };
    pass(true);
    pass(false);
}

} // namespace

QPointF BackgroundPainter::fromConsole(double x, double y)
{
    return {x * kScaleX, y * kScaleY};
}

QImage BackgroundPainter::paint() const
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    paintStars(image);

    const EarthPainter earth(fromConsole(150.0, 136.0), 54.0 * kScaleY, kScaleX / kScaleY);
    earth.paint(image);
    paintOrbits(image, earth);

    SatellitePainter satellite(fromConsole(358.0, 102.0));
    const QPointF impact = earth.project(Vec3{0.52, 0.28, 0.0});
    satellite.aimAt(earth.project(Vec3{0.45, 0.33, 0.0}));
    {
        QPainter painter(&image);
        satellite.paint(painter);
    }
    paintCone(image, satellite.dishFocus(), earth.project(Vec3{0.45, 0.33, 0.0}));
    paintLaser(image, satellite.emitter(), impact);
    bloom(image);
    return image;
}

void BackgroundPainter::bloom(QImage &image) const
{
    // Bright parts bleed a little light into their surroundings, as through a
    // camera lens: the beam, the impact, the sunlit limb.
    const int width = image.width();
    const int height = image.height();
    std::vector<std::array<float, 3>> glow(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb c = line[x];
            const double level =
                (0.2126 * qRed(c) + 0.7152 * qGreen(c) + 0.0722 * qBlue(c)) / 255.0;
            const auto keep =
                static_cast<float>(std::max(0.0, level - 0.6) / std::max(level, 1e-6));
            glow[static_cast<std::size_t>(y) * width + x] = {static_cast<float>(qRed(c)) * keep,
                                                             static_cast<float>(qGreen(c)) * keep,
                                                             static_cast<float>(qBlue(c)) * keep};
        }
    }
    for (int pass = 0; pass < 3; ++pass) {
        boxBlur(glow, width, height, 5);
    }
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const auto &g = glow[static_cast<std::size_t>(y) * width + x];
            auto add = [](int base, float extra) {
                return std::min(255, base + static_cast<int>(std::lround(0.6F * extra)));
            };
            line[x] = qRgb(add(qRed(line[x]), g[0]), add(qGreen(line[x]), g[1]),
                           add(qBlue(line[x]), g[2]));
        }
    }
}

void BackgroundPainter::paintStars(QImage &image) const
{
    // A faint band of unresolved stars and dust behind everything.
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double band = portable::exp(-portable::pow((y - 0.35 * x - 120.0) / 90.0, 2.0));
            const double dust = 0.5 + 0.5 * noise::fbm3(x / 60.0, y / 60.0, 0.3, 5, 91U);
            const double glow = band * dust * dust * 14.0;
            line[x] = qRgb(static_cast<int>(glow * 0.8), static_cast<int>(glow * 0.8),
                           static_cast<int>(glow * 1.1));
        }
    }
    Random random(0x57A125ULL);
    const std::array<QColor, 4> tints = {QColor(200, 215, 255), QColor(255, 255, 255),
                                         QColor(255, 240, 215), QColor(255, 210, 170)};
    for (int i = 0; i < 650; ++i) {
        const double x = random.uniform(0.0, kWidth);
        const double y = random.uniform(0.0, kHeight);
        const double magnitude = portable::pow(random.uniform(), 7.0);
        const QColor &tint = tints[random.next() % tints.size()];
        addStar(image, x, y, 0.6 + 0.45 * magnitude, tint, 0.12 + 1.2 * magnitude);
        if (magnitude > 0.45) {
            addStar(image, x, y, 2.6, tint, 0.07 * magnitude);
        }
    }
}

void BackgroundPainter::paintOrbits(QImage &image, const EarthPainter &earth) const
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Orbit &orbit : kOrbits) {
        const double tilt = orbit.inclination * kDegree;
        const double turn = orbit.rotation * kDegree;
        auto at = [&](double theta) {
            const double x = portable::cos(theta);
            const double y = portable::sin(theta) * portable::sin(tilt);
            const double z = portable::sin(theta) * portable::cos(tilt);
            return Vec3{x * portable::cos(turn) - y * portable::sin(turn),
                        x * portable::sin(turn) + y * portable::cos(turn), z} *
                   orbit.radius;
        };
        constexpr int kSteps = 720;
        for (int i = 0; i < kSteps; ++i) {
            const double a = 2.0 * std::numbers::pi * i / kSteps;
            const double b = 2.0 * std::numbers::pi * (i + 1) / kSteps;
            const Vec3 middle = at((a + b) / 2.0);
            if (!earth.hides(middle)) {
                // Fainter on the far side, as if seen through more distance.
                const double near = 0.5 + 0.5 * middle.z / orbit.radius;
                const int alpha = static_cast<int>(orbit.alpha * (0.45 + 0.55 * near));
                painter.setPen(QPen(QColor(235, 240, 255, alpha), 0.9));
                painter.drawLine(earth.project(at(a)), earth.project(at(b)));
            }
        }
    }
}

void BackgroundPainter::paintLaser(QImage &image, QPointF from, QPointF to) const
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    const std::array<std::pair<double, int>, 4> glows = {
        {{18.0, 22}, {10.0, 40}, {5.0, 90}, {2.6, 200}}};
    for (const auto &[width, alpha] : glows) {
        painter.setPen(QPen(QColor(255, 24, 16, alpha), width, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(from, to);
    }
    painter.setPen(QPen(QColor(255, 210, 200, 230), 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to);
    for (const auto &[point, radius] : {std::pair{to, 22.0}, std::pair{from, 9.0}}) {
        QRadialGradient flash(point, radius);
        flash.setColorAt(0.0, QColor(255, 230, 200, 255));
        flash.setColorAt(0.25, QColor(255, 80, 30, 200));
        flash.setColorAt(1.0, QColor(255, 0, 0, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(flash);
        painter.drawEllipse(point, radius, radius);
    }
}

void BackgroundPainter::paintCone(QImage &image, QPointF from, QPointF to) const
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    const QPointF direction = to - from;
    const double angle = portable::atan2(direction.y(), direction.x()) * 180.0 / std::numbers::pi;
    const double length = portable::hypot(direction.x(), direction.y());
    painter.translate(from);
    painter.rotate(angle);

    QPainterPath cone;
    cone.moveTo(0.0, -4.0);
    cone.lineTo(length, -40.0);
    cone.lineTo(length, 40.0);
    cone.lineTo(0.0, 4.0);
    cone.closeSubpath();
    QLinearGradient haze(QPointF(0.0, 0.0), QPointF(length, 0.0));
    haze.setColorAt(0.0, QColor(40, 255, 90, 45));
    haze.setColorAt(1.0, QColor(40, 255, 90, 4));
    painter.setPen(Qt::NoPen);
    painter.setBrush(haze);
    painter.drawPath(cone);

    painter.setBrush(Qt::NoBrush);
    // Rings bunch up near the dish, as a wave train seen in perspective would.
    constexpr int kRings = 11;
    for (int i = 0; i < kRings; ++i) {
        const double t = portable::pow((i + 0.7) / kRings, 1.25);
        const double radius = 4.0 + 36.0 * t;
        const int alpha = static_cast<int>(200 - 150 * t);
        painter.setPen(QPen(QColor(30, 255, 80, alpha / 4), 3.5));
        painter.drawEllipse(QPointF(length * t, 0.0), radius * 0.28, radius);
        painter.setPen(QPen(QColor(120, 255, 150, alpha), 0.9));
        painter.drawEllipse(QPointF(length * t, 0.0), radius * 0.28, radius);
    }
}
