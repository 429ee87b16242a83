// SPDX-License-Identifier: MIT
#include "launcher.h"

#include <QApplication>

Launcher::Launcher()
    : m_results(m_console)
{
    connect(&m_console, &Form1::resultRequested, &m_results, &DialogHost::Show);
    // Queued: the close that was held back may be one step of a close of every window.
    connect(&m_console, &Form1::closeDeferred, this, &Launcher::closeOtherWindows,
            Qt::QueuedConnection);
}

void Launcher::show()
{
    m_console.show();
}

// A close of every window (a logout, a signal) stops at the first window that
// holds back, and which one comes first is left to chance; the console holds
// back only in its locked wait, when nobody works in it. So such a close is
// taken as the end of the program: the other windows close now and the
// console follows when its wait returns. Only that nested wait
// (Form1::FireButton_Click) makes this needed.
void Launcher::closeOtherWindows()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != &m_console && window->isVisible())
            window->close();
    }
}
