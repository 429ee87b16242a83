// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

// A still picture stretched smoothly over its rectangle. It takes no mouse
// actions, so clicks and the pointer belong to the window beneath, and it
// paints the same whether enabled or not. On a scaled screen it is drawn from
// the full picture at the screen's own pixel size, never from the scaled copy.
class Picture : public QWidget {
    Q_OBJECT

public:
    Picture(const QString &resource, const QRect &geometry, QWidget *parent);

    // The picture as last drawn: the rectangle's size times the device pixel ratio.
    const QPixmap &pixmap() const { return m_pixmap; }

    // image scaled smoothly to size (in device-independent pixels) at ratio.
    static QPixmap scaled(const QImage &image, const QSize &size, qreal ratio);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QImage m_image;
    QPixmap m_pixmap;
};
