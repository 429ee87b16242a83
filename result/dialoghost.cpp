// SPDX-License-Identifier: MIT
#include "dialoghost.h"

#include "dialog.h"
#include "failure.h"

#include <memory>

DialogHost::DialogHost(Form1 &console, QObject *parent)
    : QObject(parent)
    , m_console(console)
{
}

// A window still open would read a console that may go with its host: it is
// closed, which deletes it as any close does.
DialogHost::~DialogHost()
{
    if (m_dialog)
        m_dialog->close();
}

void DialogHost::Show()
{
    // A closed window may still wait for its deferred deletion: it counts as closed.
    if (m_dialog && m_dialog->isVisible()) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    // The host holds the window while it loads; once shown, it is the window's own.
    auto dialog = std::make_unique<Dialog>(m_console);
    if (!guard([&dialog] { dialog->Form_Load(); }))
        return;
    m_dialog = dialog.release();
    m_dialog->show();
    m_dialog->activateWindow();
}
