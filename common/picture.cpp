// SPDX-License-Identifier: MIT
#include "picture.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

Picture::Picture(const QString &atScaleOne, const QString &full, const QRect &geometry,
                 QWidget *parent)
    : QWidget(parent)
    , m_atScaleOne(atScaleOne)
    , m_full(full)
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
    return scaled(read(ratio == 1 ? m_atScaleOne : m_full), size(), ratio);
}

// By its name's suffix alone: left to guess, Qt 6.4 loads every image
// plugin (and the libraries behind them) to ask each whether it knows the
// file.
QImage Picture::read(const QString &file)
{
    QImageReader reader(file, QFileInfo(file).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
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
