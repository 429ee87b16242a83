#include "picture.h"

#include <QImage>
#include <QPainter>

Picture::Picture(const QString &resource, const QRect &geometry, QWidget *parent)
    : QWidget(parent)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Scaled once here rather than on every paint; each direction on its own.
    const QImage image(resource);
    m_pixmap = QPixmap::fromImage(
        image.scaled(geometry.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void Picture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
}
