// SPDX-License-Identifier: MIT
#include "dialoghost.h"

#include "dialog.h"
#include "failure.h"

DialogHost::DialogHost(Form1 &console, QObject *parent)
    : QObject(parent)
    , m_console(console)
{
}

DialogHost::~DialogHost()
{
    // The window has no parent; nothing else would delete it.
    delete m_dialog;
}

void DialogHost::Show()
{
    // A closed window may still wait for its deferred deletion: it counts as closed.
    if (m_dialog && m_dialog->isVisible()) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    auto *dialog = new Dialog(m_console);
    if (!guard([dialog] { dialog->Form_Load(); })) {
        delete dialog;
        return;
    }
    m_dialog = dialog;
    dialog->show();
    dialog->activateWindow();
}
