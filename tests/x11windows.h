#pragma once

#include <QGuiApplication>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

// Finds another program's top-level windows on the X server the test runs on,
// and asks them to close the way a window manager's close box does: with a
// WM_DELETE_WINDOW client message, not by destroying the window.
class X11Windows {
public:
    // Looks through the test's own connection to its X server.
    X11Windows();
    // Looks through the connection given, which the caller keeps and closes;
    // one with an error finds nothing.
    explicit X11Windows(xcb_connection_t *connection);

    // A mapped window whose WM_NAME is title, or 0.
    xcb_window_t find(const QString &title) const;
    // Waits up to timeoutMs for find() to succeed.
    xcb_window_t waitFor(const QString &title, int timeoutMs) const;
    QRect geometry(xcb_window_t window) const;
    void requestClose(xcb_window_t window) const;

private:
    xcb_atom_t atom(const char *name) const;
    xcb_window_t search(xcb_window_t parent, const QByteArray &title) const;

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
};
