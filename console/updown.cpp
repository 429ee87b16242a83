// SPDX-License-Identifier: MIT
#include "updown.h"

#include "inputrules.h"
#include "keyboard.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

UpDown::UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent)
    : QWidget(parent)
    , m_buddy(buddy)
    , m_up(makeButton(Qt::UpArrow, QStringLiteral("Up")))
    , m_down(makeButton(Qt::DownArrow, QStringLiteral("Down")))
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_value(minimum)
{
    setFocusPolicy(Qt::StrongFocus);
    // The arrows fill the control and never take the focus themselves.
    new FocusMark(this);
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

// The arrows show no text, so a screen reader needs their names.
QToolButton *UpDown::makeButton(Qt::ArrowType arrow, const QString &name)
{
    auto *button = new QToolButton(this);
    button->setArrowType(arrow);
    button->setAccessibleName(name);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void UpDown::stepBy(int steps)
{
    const std::optional<double> inBox = inputrules::wholePart(m_buddy->text());
    const double base = inBox ? *inBox : m_value;
    const int from = int(qBound<double>(m_minimum, base, m_maximum));
    m_value = qBound(m_minimum, from + steps, m_maximum);
    m_buddy->setText(QString::number(m_value));
}

void UpDown::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up)
        stepBy(1);
    else if (event->key() == Qt::Key_Down)
        stepBy(-1);
    else
        QWidget::keyPressEvent(event);
}

void UpDown::resizeEvent(QResizeEvent *)
{
    const int upper = height() / 2;
    m_up->setGeometry(0, 0, width(), upper);
    m_down->setGeometry(0, upper, width(), height() - upper);
}
