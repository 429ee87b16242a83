#include "iconpainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

constexpr int kOversample = 8;

} // namespace

QImage IconPainter::paint(int size) const
{
    const int large = size * kOversample;
    QImage canvas(large, large, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(large, large);
        const double pixel = 1.0 / size;
        paintPedestal(painter, pixel);
        paintDish(painter, pixel);
    }
    return canvas.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

void IconPainter::paintPedestal(QPainter &painter, double pixel) const
{
    QPainterPath base;
    base.moveTo(0.3, 0.96);
    base.lineTo(0.86, 0.96);
    base.lineTo(0.72, 0.78);
    base.lineTo(0.66, 0.62);
    base.lineTo(0.52, 0.62);
    base.lineTo(0.46, 0.78);
    base.closeSubpath();
    QLinearGradient cream(QPointF(0.3, 0.0), QPointF(0.86, 0.0));
    cream.setColorAt(0.0, QColor(255, 252, 225));
    cream.setColorAt(0.6, QColor(246, 238, 190));
    cream.setColorAt(1.0, QColor(205, 190, 120));
    painter.setBrush(cream);
    painter.setPen(QPen(QColor(100, 90, 55), pixel, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(base);
    painter.drawLine(QPointF(0.36, 0.88), QPointF(0.8, 0.88));
}

void IconPainter::paintDish(QPainter &painter, double pixel) const
{
    painter.save();
    painter.translate(0.46, 0.43);
    painter.rotate(-40.0);
    // Back of the dish, then the bowl seen at an angle.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 80, 160));
    painter.drawEllipse(QPointF(0.02, 0.05), 0.4, 0.24);
    QRadialGradient bowl(QPointF(-0.08, -0.06), 0.42);
    bowl.setColorAt(0.0, QColor(215, 235, 250));
    bowl.setColorAt(0.5, QColor(150, 200, 248));
    bowl.setColorAt(1.0, QColor(80, 130, 210));
    painter.setBrush(bowl);
    painter.setPen(QPen(QColor(20, 30, 70), pixel));
    painter.drawEllipse(QPointF(0.0, 0.0), 0.4, 0.24);
    // The inner ring only clutters the smallest size.
    if (pixel < 1.0 / 20.0) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(80, 130, 210), pixel * 0.8));
        painter.drawEllipse(QPointF(0.0, 0.0), 0.22, 0.13);
    }
    painter.restore();

    // The feed arm: from the bowl's lower rim across its middle to the focus.
    const bool tiny = pixel > 1.0 / 20.0;
    painter.setPen(
        QPen(QColor(20, 30, 70), pixel * (tiny ? 1.1 : 1.6), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(0.6, 0.6), QPointF(0.24, 0.2));
    painter.setBrush(QColor(60, 60, 70));
    painter.setPen(QPen(QColor(20, 30, 70), pixel));
    painter.drawEllipse(QPointF(0.23, 0.19), tiny ? 0.035 : 0.05, tiny ? 0.035 : 0.05);
}

QList<QRgb> IconPainter::palette16()
{
    return {qRgb(0, 0, 0),       qRgb(20, 30, 70),    qRgb(40, 80, 160),   qRgb(80, 130, 210),
            qRgb(140, 190, 245), qRgb(190, 225, 255), qRgb(255, 255, 255), qRgb(250, 245, 205),
            qRgb(230, 220, 160), qRgb(185, 170, 110), qRgb(100, 90, 55),   qRgb(60, 60, 70),
            qRgb(128, 128, 128), qRgb(192, 192, 192), qRgb(215, 235, 250), qRgb(255, 240, 150)};
}

QList<QRgb> IconPainter::palette256()
{
    // Long ramps through the icon's own blues and creams, so shading stays
    // smooth, then a small cube and greys for anything else.
    QList<QRgb> palette = palette16();
    auto ramp = [&palette](QColor from, QColor to, int steps) {
        for (int i = 0; i < steps; ++i) {
            const float t = static_cast<float>(i) / static_cast<float>(steps - 1);
            palette.append(qRgb(qRound(from.red() + (to.red() - from.red()) * t),
                                qRound(from.green() + (to.green() - from.green()) * t),
                                qRound(from.blue() + (to.blue() - from.blue()) * t)));
        }
    };
    ramp(QColor(20, 30, 70), QColor(80, 130, 210), 30);
    ramp(QColor(84, 134, 212), QColor(220, 238, 252), 50);
    ramp(QColor(100, 90, 55), QColor(205, 190, 120), 24);
    ramp(QColor(208, 194, 126), QColor(255, 252, 228), 24);
    for (int r = 0; r < 4; ++r) {
        for (int g = 0; g < 4; ++g) {
            for (int b = 0; b < 4; ++b) {
                palette.append(qRgb(r * 85, g * 85, b * 85));
            }
        }
    }
    const int greys = 256 - static_cast<int>(palette.size());
    for (int i = 1; i <= greys; ++i) {
        const int level = i * 255 / (greys + 1);
        palette.append(qRgb(level, level, level));
    }
    return palette;
}
