// SPDX-License-Identifier: MIT
#pragma once

#include "x11properties.h"

#include <QGuiApplication>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

// Finds another program's top-level windows on the X server the test runs on,
// and asks them to close the way a window manager's close box does: with a
// WM_DELETE_WINDOW client message, not by destroying the window.
class X11Windows : public X11Properties {
public:
    using X11Properties::X11Properties;

    // A mapped window whose WM_NAME is title, or 0; with a pid, only a window
    // of that process (_NET_WM_PID), when copies of a program run side by side.
    xcb_window_t find(const QString &title, qint64 pid = 0) const;
    // Waits up to timeoutMs for find() to succeed.
    xcb_window_t waitFor(const QString &title, int timeoutMs, qint64 pid = 0) const;
    QRect geometry(xcb_window_t window) const;
    void requestClose(xcb_window_t window) const;
    // A real pointer click at (x, y) in the window, through the X server's
    // test extension (xdotool); the keyboard then follows the pointer there.
    void click(xcb_window_t window, int x, int y) const;

private:
    xcb_window_t search(xcb_window_t parent, const QByteArray &title, qint64 pid) const;
};
