// SPDX-License-Identifier: MIT
#include "keyboard.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPainter>

namespace {

class ReturnPresses : public QObject {
public:
    explicit ReturnPresses(QAbstractButton *button)
        : QObject(button)
        , m_button(button)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_button || event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        m_button->click();
        return true;
    }

private:
    QAbstractButton *const m_button;
};

// Qt takes the window's flag for keyboard focus cues away each time the
// window is shown (Qt 6.4), so it is set again once it shows.
class FocusCues : public QObject {
public:
    explicit FocusCues(QWidget *window)
        : QObject(window)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched == parent())
            static_cast<QWidget *>(watched)->setAttribute(Qt::WA_KeyboardFocusChange);
        return false;
    }
};

} // namespace

namespace keyboard {

void pressOnReturn(QAbstractButton *button)
{
    button->installEventFilter(new ReturnPresses(button));
}

void showFocusFromStart(QWidget *window)
{
    window->installEventFilter(new FocusCues(window));
}

} // namespace keyboard

FocusMark::FocusMark(QWidget *control, const QRect &area)
    : QWidget(control)
    , m_control(control)
    , m_area(area)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(area.isNull() ? control->rect() : area);
    hide();
    control->installEventFilter(this);
}

bool FocusMark::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_control) {
        if (event->type() == QEvent::Resize && m_area.isNull())
            setGeometry(m_control->rect());
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            setVisible(m_control->hasFocus());
            raise();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}
