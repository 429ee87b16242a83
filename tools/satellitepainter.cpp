#include "satellitepainter.h"

#include "random.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

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
    return v / std::hypot(v.x(), v.y());
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

QPointF SatellitePainter::dishFocus() const
{
    const QPointF centre = along(-6.0, -64.0);
    return centre + unit(m_target - centre) * 20.0;
}

QPointF SatellitePainter::emitter() const
{
    return along(20.0, -kBodyHalfWidth - 4.0);
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
        paintCells(painter, inner, 4, 5, (start + kSection / 2) / length - sheen);
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
            const double glint = std::exp(-sheenAt * sheenAt * 18.0) * (0.6 + 0.4 * u0);
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
            painter.setPen(QPen(QColor(120, 130, 160, 170), 0.7));
            painter.drawPolygon(cell);
        }
    }
}

void SatellitePainter::paintBody(QPainter &painter) const
{
    const QPolygonF front{
        along(-kBodyHalfLength, -kBodyHalfWidth), along(-kBodyHalfLength, kBodyHalfWidth),
        along(kBodyHalfLength, kBodyHalfWidth), along(kBodyHalfLength, -kBodyHalfWidth)};
    const QPolygonF side{front[1], front[1] + kDepth, front[2] + kDepth, front[2]};
    const QPolygonF top{front[0], front[0] + kDepth, front[1] + kDepth, front[1]};
    painter.setPen(QPen(QColor(90, 70, 30), 0.8));
    QLinearGradient gold(front[0], front[2]);
    gold.setColorAt(0.0, QColor(236, 200, 110));
    gold.setColorAt(0.45, QColor(196, 148, 58));
    gold.setColorAt(1.0, QColor(120, 84, 30));
    painter.setBrush(gold);
    painter.drawPolygon(front);
    painter.setBrush(QColor(226, 196, 120));
    painter.drawPolygon(top);
    painter.setBrush(QColor(110, 80, 32));
    painter.drawPolygon(side);

    // Crinkles in the foil catch the light in short bright strokes.
    Random random(0xF011ULL);
    for (int i = 0; i < 70; ++i) {
        const QPointF a = along(random.uniform(-kBodyHalfLength + 2, kBodyHalfLength - 2),
                                random.uniform(-kBodyHalfWidth + 2, kBodyHalfWidth - 2));
        const QPointF b = a + QPointF(random.uniform(-5.0, 5.0), random.uniform(-5.0, 5.0));
        const int shade = static_cast<int>(random.uniform(0.0, 1.0) > 0.5 ? 250 : 90);
        painter.setPen(QPen(QColor(shade, shade * 4 / 5, shade / 3, 110), 0.8));
        painter.drawLine(a, b);
    }
    painter.setPen(QPen(QColor(200, 200, 205), 1.2));
    painter.drawLine(along(-kBodyHalfLength, 10.0) + kDepth, along(-kBodyHalfLength - 22.0, 24.0));
    painter.setBrush(QColor(60, 62, 70));
    painter.drawEllipse(emitter(), 4.5, 4.5);
}

void SatellitePainter::paintDish(QPainter &painter) const
{
    const QPointF centre = along(-6.0, -64.0);
    const QPointF facing = unit(m_target - centre);
    const double angle = std::atan2(facing.y(), facing.x()) * 180.0 / std::numbers::pi;

    painter.setPen(QPen(QColor(140, 142, 150), 3.0));
    painter.drawLine(centre - facing * 6.0, along(-6.0, -kBodyHalfWidth));

    painter.save();
    painter.translate(centre);
    painter.rotate(angle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(95, 98, 108));
    painter.drawEllipse(QPointF(-4.0, 0.0), 16.0, 44.0);
    QLinearGradient bowl(QPointF(0.0, -44.0), QPointF(0.0, 44.0));
    bowl.setColorAt(0.0, QColor(170, 174, 184));
    bowl.setColorAt(0.55, QColor(238, 240, 244));
    bowl.setColorAt(1.0, QColor(200, 204, 212));
    painter.setBrush(bowl);
    painter.setPen(QPen(QColor(250, 250, 252), 1.4));
    painter.drawEllipse(QPointF(2.0, 0.0), 13.0, 42.0);
    painter.setPen(QPen(QColor(70, 72, 80), 1.3));
    for (const double y : {-38.0, 38.0, 0.0}) {
        painter.drawLine(QPointF(y == 0.0 ? 4.0 : 6.0, y), QPointF(22.0, 0.0));
    }
    painter.setBrush(QColor(50, 52, 58));
    painter.setPen(QPen(QColor(160, 160, 168), 0.8));
    painter.drawRect(QRectF(19.0, -3.5, 8.0, 7.0));
    painter.restore();
}
