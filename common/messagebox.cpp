// SPDX-License-Identifier: MIT
#include "messagebox.h"

#include "title.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QWindow>

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// Input that reaches the checked window together with the click on OK is
// delivered while the box's loop winds down, before the check that showed
// the box has made its replacement; it was aimed at text the person had not
// seen replaced yet, so it is dropped until the box's loop has returned.
class InputHold : public QObject {
public:
    explicit InputHold(QWidget *window)
        : m_window(window)
    {
        if (m_window)
            qApp->installEventFilter(this);
    }
    ~InputHold() override { qApp->removeEventFilter(this); }
    InputHold(const InputHold &) = delete;
    InputHold &operator=(const InputHold &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!isUserInput(event->type()))
            return false;
        if (auto *widget = qobject_cast<QWidget *>(watched))
            return widget->window() == m_window;
        if (auto *window = qobject_cast<QWindow *>(watched))
            return window == m_window->windowHandle();
        return false;
    }

private:
    QWidget *const m_window;
};

} // namespace

void showMessage(QWidget *parent, const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(ApplicationTitle), text,
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    if (!details.isEmpty())
        box.setDetailedText(details);
    // Some styles put a picture on dialog buttons; this box has none at all.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    const InputHold hold(parent ? parent->window() : nullptr);
    box.exec();
}
