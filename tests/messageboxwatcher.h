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

    explicit MessageBoxWatcher(std::function<QString()> watchedText = {})
        : m_watchedText(std::move(watchedText))
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
    }

    std::function<QString()> m_watchedText;
    QTimer m_timer;
};
