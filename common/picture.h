// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <optional>

// A still picture stretched smoothly over its rectangle. It takes no mouse
// actions, so clicks and the pointer belong to the window beneath, and it
// paints the same whether enabled or not. At scale 1 it shows a copy stored
// at the rectangle's size as plain pixels, drawn from where the program
// keeps it without decoding or copying; on a scaled screen it is drawn from
// the full picture at the screen's own pixel size, never from that copy.
class Picture : public QWidget {
    Q_OBJECT

public:
    // atScaleOne: an uncompressed resource of the rectangle's pixels, 4 bytes
    // each in the order red, green, blue, 255, row after row.
    Picture(QString atScaleOne, QString full, const QRect &geometry, QWidget *parent);

    // The picture as last drawn: the rectangle's size times the device pixel ratio.
    const QImage &image() const { return m_image; }

    // image scaled smoothly to size (in device-independent pixels) at ratio.
    static QPixmap scaled(const QImage &image, const QSize &size, qreal ratio);

    // The ratio to draw a widget's picture again at, asked at each paint: the
    // widget's device pixel ratio, taken as no less than lowest, when it
    // differs from drawnAt, the ratio of the picture shown; nothing otherwise.
    // A picture is drawn once per ratio rather than on every paint, and the
    // ratio is asked at each paint as the window may have moved to a screen
    // of another scale. Drawing again then is rare enough not to keep the
    // picture decoded all the while.
    static std::optional<qreal> newRatio(const QWidget *widget, qreal drawnAt, qreal lowest = 0);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage render(qreal ratio) const;
    QImage storedAtScaleOne() const;

    const QString m_atScaleOne;
    const QString m_full;
    QImage m_image;
};
