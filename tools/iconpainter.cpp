// SPDX-License-Identifier: MIT
#include "iconpainter.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <array>

namespace {

constexpr int kOversample = 8;
// Outlines stop thinning here: the size the drawing's details are made for.
constexpr int kDetailSize = 128;

struct Point {
    double x;
    double y;

    QPointF toPointF() const { return {x, y}; }
};

struct Stop {
    double at;
    QRgb colour;
};

// The drawing, in units of the icon's side.
constexpr std::array<Point, 6> kPedestal = {
    {{0.3, 0.96}, {0.86, 0.96}, {0.72, 0.78}, {0.66, 0.62}, {0.52, 0.62}, {0.46, 0.78}}};
constexpr Point kStepFrom{0.36, 0.88};
constexpr Point kStepTo{0.8, 0.88};
constexpr double kCreamFrom = 0.3;
constexpr double kCreamTo = 0.86;
constexpr std::array<Stop, 3> kCream = {
    {{0.0, qRgb(255, 252, 225)}, {0.6, qRgb(246, 238, 190)}, {1.0, qRgb(205, 190, 120)}}};
constexpr QRgb kPedestalInk = qRgb(100, 90, 55);

constexpr Point kDishCentre{0.46, 0.43};
constexpr double kDishTilt = -40.0;
constexpr Point kDishBack{0.02, 0.05};
constexpr double kBowlWidth = 0.4;
constexpr double kBowlHeight = 0.24;
constexpr QRgb kDishBackColour = qRgb(40, 80, 160);
constexpr Point kBowlLight{-0.08, -0.06};
constexpr double kBowlLightReach = 0.42;
constexpr std::array<Stop, 3> kBowl = {
    {{0.0, qRgb(215, 235, 250)}, {0.5, qRgb(150, 200, 248)}, {1.0, qRgb(80, 130, 210)}}};
constexpr double kRingWidth = 0.22;
constexpr double kRingHeight = 0.13;
constexpr double kRingPen = 0.8;
constexpr QRgb kInk = qRgb(20, 30, 70);

constexpr Point kArmFrom{0.6, 0.6};
constexpr Point kArmTo{0.24, 0.2};
constexpr double kArmPen = 1.6;
constexpr double kTinyArmPen = 1.1;
constexpr Point kFocus{0.23, 0.19};
constexpr double kFocusRadius = 0.05;
constexpr double kTinyFocusRadius = 0.035;
constexpr QRgb kFocusColour = qRgb(60, 60, 70);

template <typename Gradient> void setStops(Gradient &gradient, const std::array<Stop, 3> &stops)
{
    for (const Stop &stop : stops) {
        gradient.setColorAt(stop.at, QColor(stop.colour));
    }
}

QString svgNumber(double units)
{
    return QString::number(units * kDetailSize, 'g', 6);
}

QString svgPoint(const Point &point)
{
    return svgNumber(point.x) + u' ' + svgNumber(point.y);
}

QString svgColour(QRgb colour)
{
    return QColor(colour).name();
}

QString svgStops(const std::array<Stop, 3> &stops)
{
    QString out;
    for (const Stop &stop : stops) {
        out += QStringLiteral("<stop offset=\"%1\" stop-color=\"%2\"/>\n")
                   .arg(stop.at)
                   .arg(svgColour(stop.colour));
    }
    return out;
}

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
        const double pixel = 1.0 / std::min(size, kDetailSize);
        paintPedestal(painter, pixel);
        paintDish(painter, pixel);
    }
    return canvas.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

void IconPainter::paintPedestal(QPainter &painter, double pixel) const
{
    QPainterPath base;
    base.moveTo(kPedestal[0].toPointF());
    for (std::size_t i = 1; i < kPedestal.size(); ++i) {
        base.lineTo(kPedestal[i].toPointF());
    }
    base.closeSubpath();
    QLinearGradient cream(QPointF(kCreamFrom, 0.0), QPointF(kCreamTo, 0.0));
    setStops(cream, kCream);
    painter.setBrush(cream);
    painter.setPen(QPen(QColor(kPedestalInk), pixel, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(base);
    painter.drawLine(kStepFrom.toPointF(), kStepTo.toPointF());
}

void IconPainter::paintDish(QPainter &painter, double pixel) const
{
    painter.save();
    painter.translate(kDishCentre.toPointF());
    painter.rotate(kDishTilt);
    // Back of the dish, then the bowl seen at an angle.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kDishBackColour));
    painter.drawEllipse(kDishBack.toPointF(), kBowlWidth, kBowlHeight);
    QRadialGradient bowl(kBowlLight.toPointF(), kBowlLightReach);
    setStops(bowl, kBowl);
    painter.setBrush(bowl);
    painter.setPen(QPen(QColor(kInk), pixel));
    painter.drawEllipse(QPointF(0.0, 0.0), kBowlWidth, kBowlHeight);
    // The inner ring only clutters the smallest size.
    if (pixel < 1.0 / 20.0) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(kBowl.back().colour), pixel * kRingPen));
        painter.drawEllipse(QPointF(0.0, 0.0), kRingWidth, kRingHeight);
    }
    painter.restore();

    // The feed arm: from the bowl's lower rim across its middle to the focus.
    const bool tiny = pixel > 1.0 / 20.0;
    painter.setPen(
        QPen(QColor(kInk), pixel * (tiny ? kTinyArmPen : kArmPen), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(kArmFrom.toPointF(), kArmTo.toPointF());
    painter.setBrush(QColor(kFocusColour));
    painter.setPen(QPen(QColor(kInk), pixel));
    const double focus = tiny ? kTinyFocusRadius : kFocusRadius;
    painter.drawEllipse(kFocus.toPointF(), focus, focus);
}

QByteArray IconPainter::svg() const
{
    const QString size = QString::number(kDetailSize);
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" "
                                 "width=\"%1\" height=\"%1\" viewBox=\"0 0 %1 %1\">\n")
                      .arg(size);
    out += svgDefinitions() + svgPedestal() + svgDish() + QStringLiteral("</svg>\n");
    return out.toUtf8();
}

QString IconPainter::svgDefinitions()
{
    return QStringLiteral("<defs>\n<linearGradient id=\"cream\" gradientUnits=\"userSpaceOnUse\" "
                          "x1=\"%1\" y1=\"0\" x2=\"%2\" y2=\"0\">\n%3</linearGradient>\n"
                          "<radialGradient id=\"bowl\" gradientUnits=\"userSpaceOnUse\" "
                          "cx=\"%4\" cy=\"%5\" r=\"%6\">\n%7</radialGradient>\n</defs>\n")
        .arg(svgNumber(kCreamFrom), svgNumber(kCreamTo), svgStops(kCream), svgNumber(kBowlLight.x),
             svgNumber(kBowlLight.y), svgNumber(kBowlLightReach), svgStops(kBowl));
}

QString IconPainter::svgPedestal()
{
    QString path = u'M' + svgPoint(kPedestal[0]);
    for (std::size_t i = 1; i < kPedestal.size(); ++i) {
        path += u'L' + svgPoint(kPedestal[i]);
    }
    return QStringLiteral("<g stroke=\"%1\" stroke-width=\"1\" stroke-linecap=\"round\" "
                          "stroke-linejoin=\"round\">\n<path d=\"%2Z\" fill=\"url(#cream)\"/>\n"
                          "<line x1=\"%3\" y1=\"%4\" x2=\"%5\" y2=\"%6\"/>\n</g>\n")
        .arg(svgColour(kPedestalInk), path, svgNumber(kStepFrom.x), svgNumber(kStepFrom.y),
             svgNumber(kStepTo.x), svgNumber(kStepTo.y));
}

QString IconPainter::svgDish()
{
    const QString bowl =
        QStringLiteral("rx=\"%1\" ry=\"%2\"").arg(svgNumber(kBowlWidth), svgNumber(kBowlHeight));
    QString out =
        QStringLiteral("<g transform=\"translate(%1) rotate(%2)\">\n"
                       "<ellipse cx=\"%3\" cy=\"%4\" %5 fill=\"%6\"/>\n"
                       "<ellipse cx=\"0\" cy=\"0\" %5 fill=\"url(#bowl)\" stroke=\"%7\"/>\n")
            .arg(svgPoint(kDishCentre), QString::number(kDishTilt), svgNumber(kDishBack.x),
                 svgNumber(kDishBack.y), bowl, svgColour(kDishBackColour), svgColour(kInk));
    out += QStringLiteral("<ellipse cx=\"0\" cy=\"0\" rx=\"%1\" ry=\"%2\" fill=\"none\" "
                          "stroke=\"%3\" stroke-width=\"%4\"/>\n</g>\n")
               .arg(svgNumber(kRingWidth), svgNumber(kRingHeight), svgColour(kBowl.back().colour),
                    QString::number(kRingPen));
    out += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" "
                          "stroke-width=\"%6\" stroke-linecap=\"round\"/>\n")
               .arg(svgNumber(kArmFrom.x), svgNumber(kArmFrom.y), svgNumber(kArmTo.x),
                    svgNumber(kArmTo.y), svgColour(kInk), QString::number(kArmPen));
    out += QStringLiteral("<circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\" stroke=\"%5\"/>\n")
               .arg(svgNumber(kFocus.x), svgNumber(kFocus.y), svgNumber(kFocusRadius),
                    svgColour(kFocusColour), svgColour(kInk));
    return out;
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
            // Spelled out in float, the type the ramp has always been computed in.
            auto mix = [t](int a, int b) {
                return qRound(static_cast<float>(a) + static_cast<float>(b - a) * t);
            };
            palette.append(qRgb(mix(from.red(), to.red()), mix(from.green(), to.green()),
                                mix(from.blue(), to.blue())));
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
