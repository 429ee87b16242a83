// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QPolygonF>

// The satellite of the background: a foil-wrapped body, a dish turned towards
// the Earth, and two long solar wings along a steep axis, one running off the
// top of the picture and one off the bottom.
class SatellitePainter {
public:
    explicit SatellitePainter(QPointF body);

    void paint(QPainter &painter) const;

    QPointF dishCentre() const;
    QPointF dishFocus() const;
    QPointF emitter() const;
    void aimAt(QPointF target) { m_target = target; }

private:
    QPointF along(double distance, double across) const;
    void paintWing(QPainter &painter, double from, double to, double rootWidth,
                   double tipWidth) const;
    void paintCells(QPainter &painter, const QPolygonF &panel, int across, int along,
                    double sheenAt) const;
    void paintTruss(QPainter &painter, double from, double to) const;
    static QImage foil(int width, int height, double light);
    void paintFace(QPainter &painter, const QPolygonF &face, double light) const;
    void paintBody(QPainter &painter) const;
    void paintDish(QPainter &painter) const;

    QPointF m_body;
    QPointF m_axis;
    QPointF m_side;
    QPointF m_target;
};
