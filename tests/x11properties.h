// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <xcb/xcb.h>

// Reads and writes window properties on the X server the test runs on, as a
// window manager, a taskbar or a settings daemon would: atoms by name, the
// window-manager check on the root window, and the resource database.
class X11Properties {
public:
    // Looks through the test's own connection to its X server.
    X11Properties();
    // Looks through the connection given, which the caller keeps and closes;
    // one with an error finds nothing.
    explicit X11Properties(xcb_connection_t *connection);

    bool isValid() const { return m_connection != nullptr; }
    xcb_connection_t *connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }

    xcb_atom_t atom(const char *name) const;
    QString atomName(xcb_atom_t atom) const;
    // The property's items as 32-bit values (atoms, windows, cardinals).
    QList<quint32> values(xcb_window_t window, const char *property) const;
    // The names of the atoms a property lists, for messages and comparisons.
    QStringList atomNames(xcb_window_t window, const char *property) const;
    QByteArray text(xcb_window_t window, const char *property) const;
    void setText(xcb_window_t window, const char *property, const QByteArray &value) const;

    // A window manager that follows the EWMH names its check window on the
    // root window, and that window names itself again.
    bool windowManagerRunning() const;
    // Whether the window manager handles requests yet: it is asked for the
    // frame extents of a window of the test's own and answers by setting them.
    bool windowManagerAnswers();
    bool isViewable(xcb_window_t window) const;

private:
    xcb_get_property_reply_t *property(xcb_window_t window, const char *name) const;

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_window_t m_probe = 0;
};
