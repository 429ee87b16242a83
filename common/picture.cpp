// SPDX-License-Identifier: MIT
#include "picture.h"

#include "imagefile.h"

#include <QPainter>
#include <QResource>

#include <utility>

Picture::Picture(QString atScaleOne, QString full, const QRect &geometry, QWidget *parent)
    : QWidget(parent)
    , m_atScaleOne(std::move(atScaleOne))
    , m_full(std::move(full))
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_image = render(devicePixelRatioF());
}

void Picture::paintEvent(QPaintEvent *)
{
    if (const std::optional<qreal> ratio = newRatio(this, m_image.devicePixelRatio()))
        m_image = render(*ratio);
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

QImage Picture::render(qreal ratio) const
{
    if (ratio == 1) {
        if (QImage stored = storedAtScaleOne(); !stored.isNull())
            return stored;
    }
    return scaled(readImage(m_full), size(), ratio).toImage();
}

// The stored pixels as an image that reads them in place; a null image when
// they are missing, compressed, misaligned or not of the rectangle's size.
QImage Picture::storedAtScaleOne() const
{
    const QResource stored(m_atScaleOne);
    const auto *pixels = stored.data();
    constexpr int Depth = 4;
    if (!pixels || stored.compressionAlgorithm() != QResource::NoCompression ||
        stored.size() != qint64(width()) * height() * Depth ||
        reinterpret_cast<quintptr>(pixels) % alignof(quint32) != 0)
        return {};
    return {pixels, width(), height(), qsizetype(width()) * Depth, QImage::Format_RGBX8888};
}

std::optional<qreal> Picture::newRatio(const QWidget *widget, qreal drawnAt, qreal lowest)
{
    const qreal ratio = qMax(widget->devicePixelRatioF(), lowest);
    if (ratio == drawnAt)
        return std::nullopt;
    return ratio;
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
