// SPDX-License-Identifier: MIT
#include "satellitepainter.h"

#include "noise.h"
#include "portablemath.h"
#include "random.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <QTransform>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kBodyHalfWidth = 27.0;
constexpr double kBodyHalfLength = 33.0;
// The visible depth of the body box: its right side and its top.
const QPointF kDepth(11.0, -8.0);

QPointF lerp(QPointF a, QPointF b, double t)
{
    return a + (b - a) * t;
}

QPointF unit(QPointF v)
{
    return v / portable::hypot(v.x(), v.y());
}

QPointF bilinear(const QPolygonF &quad, double u, double v)
{
    return lerp(lerp(quad[0], quad[1], u), lerp(quad[3], quad[2], u), v);
}

} // namespace

SatellitePainter::SatellitePainter(QPointF body)
    : m_body(body)
    , m_axis(unit(QPointF(0.2, 1.0)))
    , m_side(m_axis.y(), -m_axis.x())
    , m_target(body - QPointF(200.0, 0.0))
{
}

QPointF SatellitePainter::along(double distance, double across) const
{
    return m_body + m_axis * distance + m_side * across;
}

QPointF SatellitePainter::dishCentre() const
{
    return along(-20.0, -56.0);
}

QPointF SatellitePainter::dishFocus() const
{
    const QPointF centre = dishCentre();
    return centre + unit(m_target - centre) * 19.0;
}

QPointF SatellitePainter::emitter() const
{
    const QPointF root = along(18.0, -kBodyHalfWidth);
    return root + unit(m_target - root) * 16.0;
}

void SatellitePainter::paint(QPainter &painter) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    paintTruss(painter, -kBodyHalfLength, -48.0);
    paintTruss(painter, kBodyHalfLength, 48.0);
    paintWing(painter, -48.0, -290.0, 62.0, 50.0);
    paintWing(painter, 48.0, 340.0, 62.0, 82.0);
    paintBody(painter);
    paintDish(painter);
}

void SatellitePainter::paintTruss(QPainter &painter, double from, double to) const
{
    painter.setPen(QPen(QColor(120, 124, 132), 2.2));
    painter.drawLine(along(from, -5.0), along(to, -5.0));
    painter.drawLine(along(from, 5.0), along(to, 5.0));
    painter.setPen(QPen(QColor(170, 172, 178), 1.0));
    painter.drawLine(along(from, -5.0), along(to, 5.0));
    painter.drawLine(along(from, 5.0), along(to, -5.0));
}

void SatellitePainter::paintWing(QPainter &painter, double from, double to, double rootWidth,
                                 double tipWidth) const
{
    constexpr double kSection = 52.0;
    constexpr double kGap = 4.0;
    const double direction = to > from ? 1.0 : -1.0;
    const double length = std::fabs(to - from);
    for (double start = 0.0; start < length; start += kSection + kGap) {
        const double end = std::min(length, start + kSection);
        auto width = [&](double at) { return rootWidth + (tipWidth - rootWidth) * at / length; };
        const double s0 = from + direction * start;
        const double s1 = from + direction * end;
        const QPolygonF panel{along(s0, -width(start) / 2), along(s0, width(start) / 2),
                              along(s1, width(end) / 2), along(s1, -width(end) / 2)};
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(150, 156, 168));
        painter.drawPolygon(panel);
        const QPolygonF inner{bilinear(panel, 0.03, 0.02), bilinear(panel, 0.97, 0.02),
                              bilinear(panel, 0.97, 0.98), bilinear(panel, 0.03, 0.98)};
        // The sun glints off the upper wing near the body and off the lower one far out.
        const double sheen = direction < 0 ? 0.35 : 0.75;
        paintCells(painter, inner, 5, 7, (start + kSection / 2) / length - sheen);
        painter.setPen(QPen(QColor(180, 150, 80), 1.0));
        painter.drawLine(along(s0, 0.0), along(s1, 0.0));
    }
}

void SatellitePainter::paintCells(QPainter &painter, const QPolygonF &panel, int across, int along,
                                  double sheenAt) const
{
    Random random(static_cast<std::uint64_t>(panel[0].x() * 131.0 + panel[0].y() * 7.0));
    for (int j = 0; j < along; ++j) {
        for (int i = 0; i < across; ++i) {
            const double u0 = i / static_cast<double>(across);
            const double u1 = (i + 1) / static_cast<double>(across);
            const double v0 = j / static_cast<double>(along);
            const double v1 = (j + 1) / static_cast<double>(along);
            const QPolygonF cell{bilinear(panel, u0, v0), bilinear(panel, u1, v0),
                                 bilinear(panel, u1, v1), bilinear(panel, u0, v1)};
            const double glint = portable::exp(-sheenAt * sheenAt * 18.0) * (0.6 + 0.4 * u0);
            const double jitter = random.uniform(0.85, 1.12);
            QLinearGradient fill(cell[0], cell[2]);
            fill.setColorAt(0.0,
                            QColor::fromRgbF(static_cast<float>((0.05 + 0.12 * glint) * jitter),
                                             static_cast<float>((0.08 + 0.17 * glint) * jitter),
                                             static_cast<float>((0.24 + 0.3 * glint) * jitter)));
            fill.setColorAt(1.0, QColor::fromRgbF(static_cast<float>(0.04 * jitter),
                                                  static_cast<float>(0.06 * jitter),
                                                  static_cast<float>(0.19 * jitter)));
            painter.setBrush(fill);
            painter.setPen(QPen(QColor(120, 132, 165, 140), 0.55));
            painter.drawPolygon(cell);
        }
    }
}

QImage SatellitePainter::foil(int width, int height, double light)
{
    QImage texture(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(texture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            // Crumpled foil: broad folds plus fine creases, with hard glints.
            const double folds = noise::turbulence3(x / 14.0, y / 14.0, light, 4, 301U);
            const double creases = noise::turbulence3(x / 4.0, y / 4.0, 2.0 * light, 2, 307U);
            const double shade = std::clamp(0.45 + 1.3 * folds + 0.35 * creases, 0.0, 1.5);
            const double glint = portable::pow(std::clamp(folds * 2.1, 0.0, 1.0), 9.0);
            const double across = 1.0 - 0.45 * (x + y) / static_cast<double>(width + height);
            const double level = light * shade * across;
            auto channel = [&](double base) {
                return static_cast<int>(
                    std::clamp(base * level + 200.0 * glint * light, 0.0, 255.0));
            };
            line[x] = qRgb(channel(215.0), channel(160.0), channel(62.0));
        }
    }
    return texture;
}

void SatellitePainter::paintFace(QPainter &painter, const QPolygonF &face, double light) const
{
    const QImage texture = foil(64, 80, light);
    QTransform map;
    const QPolygonF corners{QPointF(0.0, 0.0), QPointF(texture.width(), 0.0),
                            QPointF(texture.width(), texture.height()),
                            QPointF(0.0, texture.height())};
    if (!QTransform::quadToQuad(corners, face, map)) {
        return;
    }
    painter.save();
    painter.setTransform(map, true);
    painter.drawImage(QPointF(0.0, 0.0), texture);
    painter.restore();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(70, 52, 20), 0.8));
    painter.drawPolygon(face);
}

void SatellitePainter::paintBody(QPainter &painter) const
{
    const QPolygonF front{
        along(-kBodyHalfLength, -kBodyHalfWidth), along(-kBodyHalfLength, kBodyHalfWidth),
        along(kBodyHalfLength, kBodyHalfWidth), along(kBodyHalfLength, -kBodyHalfWidth)};
    const QPolygonF side{front[1], front[1] + kDepth, front[2] + kDepth, front[2]};
    const QPolygonF top{front[0], front[0] + kDepth, front[1] + kDepth, front[1]};
    paintFace(painter, front, 1.0);
    paintFace(painter, top, 1.2);
    paintFace(painter, side, 0.35);

    // A whip antenna and a star tracker on the top.
    painter.setPen(QPen(QColor(200, 200, 205), 1.0));
    painter.drawLine(top[2], top[2] + QPointF(14.0, -20.0));
    painter.setPen(QPen(QColor(40, 40, 46), 0.8));
    painter.setBrush(QColor(150, 152, 160));
    painter.drawRect(
        QRectF(along(-kBodyHalfLength, 8.0) + kDepth * 0.5 - QPointF(4.0, 4.0), QSizeF(8.0, 6.0)));

    // The laser's emitter: a short barrel on the lower corner, aimed at the target.
    const QPointF root = along(18.0, -kBodyHalfWidth);
    painter.setPen(QPen(QColor(40, 42, 48), 7.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(root, emitter());
    painter.setPen(QPen(QColor(150, 154, 164), 1.6, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(root + QPointF(0.0, -2.5), emitter() + QPointF(0.0, -2.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(90, 92, 100));
    painter.drawEllipse(emitter(), 2.5, 4.5);
}

void SatellitePainter::paintDish(QPainter &painter) const
{
    const QPointF centre = dishCentre();
    const QPointF facing = unit(m_target - centre);
    const double angle = portable::atan2(facing.y(), facing.x()) * 180.0 / std::numbers::pi;

    painter.setPen(QPen(QColor(120, 122, 130), 3.0));
    painter.drawLine(centre - facing * 8.0, along(-18.0, -kBodyHalfWidth));
    painter.setPen(QPen(QColor(200, 202, 208), 1.0));
    painter.drawLine(centre - facing * 8.0 + QPointF(0.0, -1.0),
                     along(-18.0, -kBodyHalfWidth) + QPointF(0.0, -1.0));

    painter.save();
    painter.translate(centre);
    painter.rotate(angle);
    painter.setPen(Qt::NoPen);
    QLinearGradient shell(QPointF(0.0, -32.0), QPointF(0.0, 32.0));
    shell.setColorAt(0.0, QColor(150, 152, 160));
    shell.setColorAt(1.0, QColor(60, 62, 70));
    painter.setBrush(shell);
    painter.drawEllipse(QPointF(-3.5, 0.0), 12.0, 31.0);
    QRadialGradient bowl(QPointF(4.0, 12.0), 38.0);
    bowl.setColorAt(0.0, QColor(246, 247, 250));
    bowl.setColorAt(0.6, QColor(200, 204, 212));
    bowl.setColorAt(1.0, QColor(130, 134, 146));
    painter.setBrush(bowl);
    painter.setPen(QPen(QColor(235, 236, 240), 1.0));
    painter.drawEllipse(QPointF(1.0, 0.0), 9.5, 30.0);
    painter.setPen(QPen(QColor(60, 62, 70), 0.9));
    for (const double y : {-27.0, 27.0}) {
        painter.drawLine(QPointF(3.0, y), QPointF(17.0, 0.0));
    }
    painter.drawLine(QPointF(3.0, 0.0), QPointF(17.0, 0.0));
    painter.setBrush(QColor(50, 52, 58));
    painter.setPen(QPen(QColor(170, 170, 178), 0.6));
    painter.drawRect(QRectF(15.0, -2.5, 6.0, 5.0));
    painter.restore();
}
