#include "x11windows.h"

#include <QDeadlineTimer>
#include <QTest>

#include <cstdlib>
#include <cstring>

X11Windows::X11Windows()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return;
    m_connection = x11->connection();
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

X11Windows::X11Windows(xcb_connection_t *connection)
{
    if (xcb_connection_has_error(connection))
        return;
    m_connection = connection;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

xcb_atom_t X11Windows::atom(const char *name) const
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

xcb_window_t X11Windows::search(xcb_window_t parent, const QByteArray &title) const
{
    xcb_query_tree_reply_t *tree =
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, parent), nullptr);
    if (!tree)
        return 0;
    xcb_window_t found = 0;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        xcb_get_property_reply_t *name =
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, children[i], XCB_ATOM_WM_NAME,
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                                   nullptr);
        xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, children[i]), nullptr);
        const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        if (name && mapped &&
            QByteArray(static_cast<const char *>(xcb_get_property_value(name)),
                       xcb_get_property_value_length(name)) == title)
            found = children[i];
        std::free(attributes);
        std::free(name);
        if (!found)
            found = search(children[i], title);
    }
    std::free(tree);
    return found;
}

xcb_window_t X11Windows::find(const QString &title) const
{
    return m_connection ? search(m_root, title.toUtf8()) : 0;
}

xcb_window_t X11Windows::waitFor(const QString &title, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (xcb_window_t window = find(title))
            return window;
        QTest::qWait(20);
    }
    return 0;
}

QRect X11Windows::geometry(xcb_window_t window) const
{
    xcb_get_geometry_reply_t *reply =
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
    if (!reply)
        return {};
    const QRect rect(reply->x, reply->y, reply->width, reply->height);
    std::free(reply);
    return rect;
}

void X11Windows::requestClose(xcb_window_t window) const
{
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(m_connection);
}
