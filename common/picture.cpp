// SPDX-License-Identifier: MIT
#include "picture.h"

#include <QPainter>

Picture::Picture(const QString &resource, const QRect &geometry, QWidget *parent)
    : QWidget(parent)
    , m_image(resource)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_pixmap = scaled(m_image, size(), devicePixelRatioF());
}

// Scaled once per pixel ratio rather than on every paint; each direction on
// its own. The ratio is checked at each paint, as the window may have moved
// to a screen of another scale.
void Picture::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    if (m_pixmap.devicePixelRatio() != ratio)
        m_pixmap = scaled(m_image, size(), ratio);
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
}

QPixmap Picture::scaled(const QImage &image, const QSize &size, qreal ratio)
{
    const QSize pixels = (QSizeF(size) * ratio).toSize();
    QPixmap pixmap =
        QPixmap::fromImage(image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}
