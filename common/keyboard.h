// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QWidget>

class QAbstractButton;

// What both windows need for the keyboard: focus that shows from the first
// moment, Return on a button, and a focus frame for controls that draw none.
namespace keyboard {

// Return and Enter press the button when it holds the focus, as Space does.
void pressOnReturn(QAbstractButton *button);

// The window's controls show their focus at once, not only after a first
// Tab: the user sees where typing goes before touching a key.
void showFocusFromStart(QWidget *window);

} // namespace keyboard

// A frame in the highlight colour over a control that draws no focus of its
// own (the spinner's arrows, a picture), shown while the control holds the
// keyboard focus. It covers the control, or only the part of it given, and
// lets the mouse through.
class FocusMark : public QWidget {
public:
    explicit FocusMark(QWidget *control, const QRect &area = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *const m_control;
    const QRect m_area;
};
