#include "picture.h"

#include <QPainter>

Picture::Picture(const QString &resource, const QRect &geometry, QWidget *parent)
    : QWidget(parent)
    , m_image(resource)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_pixmap = scaledFor(devicePixelRatioF());
}

// Scaled once per pixel ratio rather than on every paint; each direction on
// its own. The ratio is checked at each paint, as the window may have moved
// to a screen of another scale.
void Picture::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    if (m_pixmap.devicePixelRatio() != ratio)
        m_pixmap = scaledFor(ratio);
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
}

QPixmap Picture::scaledFor(qreal ratio) const
{
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    QPixmap pixmap =
        QPixmap::fromImage(m_image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}
