// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A vertical pair of arrows bound to a text box. Each step counts on from the
// number in the box (or its own value when the box holds none), stays within
// its range and writes the new value into the box, which raises the box's
// change notification.
class UpDown : public QWidget {
    Q_OBJECT

public:
    UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent);

    int value() const { return m_value; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

    void stepBy(int steps);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *makeButton(Qt::ArrowType arrow, const QString &name);

    QLineEdit *const m_buddy;
    QToolButton *const m_up;
    QToolButton *const m_down;
    const int m_minimum;
    const int m_maximum;
    int m_value;
};
