// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

// A still picture stretched smoothly over its rectangle. It takes no mouse
// actions, so clicks and the pointer belong to the window beneath, and it
// paints the same whether enabled or not. At scale 1 it shows a copy stored
// at the rectangle's size, so a start decodes no more than it shows; on a
// scaled screen it is drawn from the full picture at the screen's own pixel
// size, never from the smaller copy.
class Picture : public QWidget {
    Q_OBJECT

public:
    Picture(QString atScaleOne, QString full, const QRect &geometry, QWidget *parent);

    // The picture as last drawn: the rectangle's size times the device pixel ratio.
    const QPixmap &pixmap() const { return m_pixmap; }

    // image scaled smoothly to size (in device-independent pixels) at ratio.
    static QPixmap scaled(const QImage &image, const QSize &size, qreal ratio);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap render(qreal ratio) const;

    const QString m_atScaleOne;
    const QString m_full;
    QPixmap m_pixmap;
};
