// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>

// Dismisses every message box that appears, by clicking its OK button the
// way a user would, and records what each one said. A box is only seen while
// it is the application's active modal widget, so it must be modal to work.
// Input given as alongWithOk is delivered right after the OK click, before
// the box's own event loop has returned, as a quick hand or a busy machine
// would have it.
class MessageBoxWatcher : public QObject {
public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        int buttons;
        Qt::WindowModality modality;
        QString replacedText; // the watched box's text while this box was up
    };

    explicit MessageBoxWatcher(std::function<QString()> watchedText = {},
                               std::function<void()> alongWithOk = {})
        : m_watchedText(std::move(watchedText))
        , m_alongWithOk(std::move(alongWithOk))
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, &MessageBoxWatcher::poll);
        m_timer.start();
    }

    QList<Seen> seen;
    QStringList texts() const
    {
        QStringList list;
        for (const Seen &s : seen)
            list << s.text;
        return list;
    }

private:
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box->property("watched").toBool())
            return;
        box->setProperty("watched", true);
        seen.append({box->windowTitle(), box->text(), box->icon(), int(box->buttons().size()),
                     box->windowModality(), m_watchedText ? m_watchedText() : QString()});
        QAbstractButton *ok = box->button(QMessageBox::Ok);
        if (ok)
            QTest::mouseClick(ok, Qt::LeftButton);
        else
            box->reject();
        if (m_alongWithOk)
            m_alongWithOk();
    }

    std::function<QString()> m_watchedText;
    std::function<void()> m_alongWithOk;
    QTimer m_timer;
};
