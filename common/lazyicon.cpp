// SPDX-License-Identifier: MIT
#include "lazyicon.h"

#include "imagefile.h"

#include <QPaintDevice>
#include <QPainter>

#include <utility>

namespace {

QIcon decode(const QStringList &files)
{
    QIcon icon;
    for (const QString &file : files) {
        // Qt picks the deepest of an ICO file's pictures of each size.
        if (file.endsWith(QLatin1String(".ico")))
            icon.addFile(file);
        else
            icon.addPixmap(QPixmap::fromImage(readImage(file)));
    }
    return icon;
}

} // namespace

LazyIcon::LazyIcon(QStringList files, QList<QSize> sizes)
    : m_files(std::move(files))
    , m_sizes(std::move(sizes))
{
}

QIcon LazyIcon::make(const QStringList &files, const QList<QSize> &sizes)
{
    return QIcon(new LazyIcon(files, sizes));
}

const QIcon &LazyIcon::decoded()
{
    if (m_decoded.isNull())
        m_decoded = decode(m_files);
    return m_decoded;
}

// As Qt's own engines paint: the picture for the device's pixels, drawn into rect.
void LazyIcon::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state)
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : qreal(1);
    painter->drawPixmap(rect, pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state));
}

// The decoded icon's picture shrinks to fit size, never grows: its size is the actual size.
QSize LazyIcon::actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return pixmap(size, mode, state).size();
}

// The caller has already applied any device pixel ratio to size; ratio 1
// keeps the decoded icon from applying the application's once more.
QPixmap LazyIcon::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return decoded().pixmap(size, 1.0, mode, state);
}

// Files hold pictures for the normal mode only; Qt makes the others from them.
QList<QSize> LazyIcon::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    return mode == QIcon::Normal && state == QIcon::Off ? m_sizes : QList<QSize>();
}

bool LazyIcon::isNull()
{
    return m_files.isEmpty();
}

QIconEngine *LazyIcon::clone() const
{
    return new LazyIcon(*this);
}
