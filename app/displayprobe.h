// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

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

    // Qt connects between these two calls, as the application object is
    // made. Should it fail all the same, its fatal message becomes the
    // program's one sentence and the process exits with status 2; its other
    // messages meanwhile are held, and shown by connected(), which also
    // releases the probe's connection.
    void connecting();
    void connected();

private:
    xcb_connection_t *m_connection = nullptr;
    QString m_problem;
};
