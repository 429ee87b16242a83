// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

struct xcb_connection_t;

// Asks the X server whether it answers before Qt tries, so that the program
// can say in plain words that it has no display instead of aborting inside
// the platform plugin. A bare X server starts over whenever its last client
// leaves and refuses connections meanwhile, so the probe asks again for a
// moment, and holds its connection until Qt has one of its own. On a Wayland
// desktop that draws no window frames it chooses the desktop's X server.
class DisplayProbe {
public:
    DisplayProbe();
    ~DisplayProbe();
    DisplayProbe(const DisplayProbe &) = delete;
    DisplayProbe &operator=(const DisplayProbe &) = delete;

    // Why the program cannot show its windows, in one sentence; empty when a
    // display answered or a platform was chosen explicitly.
    QString problem() const { return m_problem; }

    // The message handler while Qt connects, as the application object is
    // made. Should Qt fail all the same, its fatal message becomes the
    // program's one sentence and the process exits with status 2; its other
    // messages meanwhile are held for connected().
    static void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &text);
    // Qt has connected: hands the held messages on to handler and releases
    // the probe's connection.
    void connected(QtMessageHandler handler);

private:
    xcb_connection_t *m_connection = nullptr;
    QString m_problem;
};
