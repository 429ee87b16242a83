// SPDX-License-Identifier: MIT
#include "skiptaskbar.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QList>
#include <QWidget>

#include <cstdlib>
#include <cstring>

namespace {

const uint32_t NetWmStateAdd = 1;
const uint32_t SourceApplication = 1;

} // namespace

SkipTaskbar::SkipTaskbar(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    // The offscreen platform answers to the X11 interface too, without a connection.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    m_connection = x11->connection();
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    m_state = atom("_NET_WM_STATE");
    m_skipTaskbar = atom("_NET_WM_STATE_SKIP_TASKBAR");
    m_skipPager = atom("_NET_WM_STATE_SKIP_PAGER");
    window->installEventFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

SkipTaskbar::~SkipTaskbar()
{
    if (m_connection)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

xcb_atom_t SkipTaskbar::atom(const char *name) const
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

// The show event comes after the native window exists and before it is mapped.
bool SkipTaskbar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Show && m_window->internalWinId())
        writeState(xcb_window_t(m_window->internalWinId()));
    return QObject::eventFilter(watched, event);
}

bool SkipTaskbar::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
        return false;
    const auto *map = static_cast<const xcb_map_notify_event_t *>(message);
    if (map->window == xcb_window_t(m_window->internalWinId()))
        requestState(map->window);
    return false;
}

// Merged with what the window already carries: Qt adds its own states to
// the same property when it maps the window, and keeps ours.
void SkipTaskbar::writeState(xcb_window_t window) const
{
    QList<xcb_atom_t> states;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, m_state, XCB_ATOM_ATOM, 0, 1024),
        nullptr);
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        states = QList<xcb_atom_t>(atoms, atoms + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    for (xcb_atom_t wanted : {m_skipTaskbar, m_skipPager}) {
        if (!states.contains(wanted))
            states.append(wanted);
    }
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, m_state, XCB_ATOM_ATOM, 32,
                        uint32_t(states.size()), states.constData());
    xcb_flush(m_connection);
}

// A mapped window's states belong to the window manager; it is asked with a
// client message to the root window.
void SkipTaskbar::requestState(xcb_window_t window) const
{
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = m_state;
    event.data.data32[0] = NetWmStateAdd;
    event.data.data32[1] = m_skipTaskbar;
    event.data.data32[2] = m_skipPager;
    event.data.data32[3] = SourceApplication;
    xcb_send_event(m_connection, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(m_connection);
}
