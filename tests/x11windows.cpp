// SPDX-License-Identifier: MIT
#include "x11windows.h"

#include "programrun.h"

#include <QDeadlineTimer>
#include <QTest>

#include <cstdlib>
#include <cstring>

xcb_window_t X11Windows::search(xcb_window_t parent, const QByteArray &title, qint64 pid) const
{
    xcb_query_tree_reply_t *tree =
        xcb_query_tree_reply(connection(), xcb_query_tree(connection(), parent), nullptr);
    if (!tree)
        return 0;
    xcb_window_t found = 0;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        xcb_get_property_reply_t *name =
            xcb_get_property_reply(connection(),
                                   xcb_get_property(connection(), 0, children[i], XCB_ATOM_WM_NAME,
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                                   nullptr);
        xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
            connection(), xcb_get_window_attributes(connection(), children[i]), nullptr);
        const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        if (name && mapped &&
            QByteArray(static_cast<const char *>(xcb_get_property_value(name)),
                       xcb_get_property_value_length(name)) == title &&
            (pid == 0 || values(children[i], "_NET_WM_PID") == QList<quint32>{quint32(pid)}))
            found = children[i];
        std::free(attributes);
        std::free(name);
        if (!found)
            found = search(children[i], title, pid);
    }
    std::free(tree);
    return found;
}

xcb_window_t X11Windows::find(const QString &title, qint64 pid) const
{
    return connection() ? search(root(), title.toUtf8(), pid) : 0;
}

xcb_window_t X11Windows::waitFor(const QString &title, int timeoutMs, qint64 pid) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (xcb_window_t window = find(title, pid))
            return window;
        QTest::qWait(20);
    }
    return 0;
}

QRect X11Windows::geometry(xcb_window_t window) const
{
    xcb_get_geometry_reply_t *reply =
        xcb_get_geometry_reply(connection(), xcb_get_geometry(connection(), window), nullptr);
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
    xcb_send_event(connection(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(connection());
}

// The server handles the move before the click; waiting for the move
// (--sync) would hang when the pointer is already there.
void X11Windows::click(xcb_window_t window, int x, int y) const
{
    const QPoint at = geometry(window).topLeft() + QPoint(x, y);
    runTool(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
             QStringLiteral("click"), QStringLiteral("1")});
}
