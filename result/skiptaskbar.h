// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <xcb/xcb.h>

class QWidget;

// Keeps a top-level window out of taskbars and pagers on X11: the window
// states _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER say so,
// which no Qt window flag does. They are written to the window before each
// map, since a window manager drops them when the window is withdrawn, and
// asked of the window manager once it is mapped, in case it dropped them
// after they were written.
// Elsewhere (Wayland, offscreen) it does nothing: there is no such request.
class SkipTaskbar : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit SkipTaskbar(QWidget *window);
    ~SkipTaskbar() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    xcb_atom_t atom(const char *name) const;
    void writeState(xcb_window_t window) const;
    void requestState(xcb_window_t window) const;

    QWidget *const m_window;
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_state = 0;
    xcb_atom_t m_skipTaskbar = 0;
    xcb_atom_t m_skipPager = 0;
};
