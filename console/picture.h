#pragma once

#include <QPixmap>
#include <QWidget>

// A still picture stretched smoothly over its rectangle. It takes no mouse
// actions, so clicks and the pointer belong to the window beneath, and it
// paints the same whether enabled or not.
class Picture : public QWidget {
    Q_OBJECT

public:
    Picture(const QString &resource, const QRect &geometry, QWidget *parent);

    const QPixmap &pixmap() const { return m_pixmap; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_pixmap;
};
