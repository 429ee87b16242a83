// SPDX-License-Identifier: MIT
#include "picture.h"

#include "imagefile.h"

#include <QPainter>

#include <utility>

Picture::Picture(QString atScaleOne, QString full, const QRect &geometry, QWidget *parent)
    : QWidget(parent)
    , m_atScaleOne(std::move(atScaleOne))
    , m_full(std::move(full))
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_pixmap = render(devicePixelRatioF());
}

// Drawn once per pixel ratio rather than on every paint. The ratio is
// checked at each paint, as the window may have moved to a screen of another
// scale; the picture is decoded again then, which is rare enough not to keep
// it decoded all the while.
void Picture::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    if (m_pixmap.devicePixelRatio() != ratio)
        m_pixmap = render(ratio);
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
}

// The stored copy already has the rectangle's size, so scaling it is a copy.
QPixmap Picture::render(qreal ratio) const
{
    return scaled(readImage(ratio == 1 ? m_atScaleOne : m_full), size(), ratio);
}

// Each direction on its own.
QPixmap Picture::scaled(const QImage &image, const QSize &size, qreal ratio)
{
    const QSize pixels = (QSizeF(size) * ratio).toSize();
    QPixmap pixmap =
        QPixmap::fromImage(image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}
