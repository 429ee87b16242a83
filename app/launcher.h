// SPDX-License-Identifier: MIT
#pragma once

#include "dialog.h" // complete type for DialogHost::dialog()
#include "dialoghost.h"
#include "form1.h"

#include <QObject>

// The program's two windows and what joins them: the console asks for the
// result window when a countdown ends, and a close that the console holds
// back during its locked wait ends the whole program. A close of the idle or
// counting console alone leaves an open result window open.
class Launcher : public QObject {
    Q_OBJECT

public:
    Launcher();

    Form1 &console() { return m_console; }
    DialogHost &results() { return m_results; }
    void show();

private:
    void closeOtherWindows();

    // In this order: the result windows read the console, so their host, which
    // closes them as it goes, is destroyed before the console.
    Form1 m_console;
    DialogHost m_results;
};
