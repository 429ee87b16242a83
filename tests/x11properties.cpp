// SPDX-License-Identifier: MIT
#include "x11properties.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

X11Properties::X11Properties()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    m_connection = x11->connection();
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

X11Properties::X11Properties(xcb_connection_t *connection)
{
    if (xcb_connection_has_error(connection))
        return;
    m_connection = connection;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

xcb_atom_t X11Properties::atom(const char *name) const
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

QString X11Properties::atomName(xcb_atom_t atom) const
{
    xcb_get_atom_name_reply_t *reply =
        xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr);
    if (!reply)
        return {};
    QString name =
        QString::fromLatin1(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply));
    std::free(reply);
    return name;
}

xcb_get_property_reply_t *X11Properties::property(xcb_window_t window, const char *name) const
{
    return xcb_get_property_reply(m_connection,
                                  xcb_get_property(m_connection, 0, window, atom(name),
                                                   XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20),
                                  nullptr);
}

QList<quint32> X11Properties::values(xcb_window_t window, const char *name) const
{
    QList<quint32> result;
    xcb_get_property_reply_t *reply = property(window, name);
    if (reply && reply->format == 32) {
        const auto *items = static_cast<const quint32 *>(xcb_get_property_value(reply));
        result = QList<quint32>(items, items + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return result;
}

QStringList X11Properties::atomNames(xcb_window_t window, const char *name) const
{
    QStringList names;
    for (quint32 value : values(window, name))
        names.append(atomName(value));
    return names;
}

QByteArray X11Properties::text(xcb_window_t window, const char *name) const
{
    QByteArray result;
    xcb_get_property_reply_t *reply = property(window, name);
    if (reply && reply->format == 8)
        result = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                            xcb_get_property_value_length(reply));
    std::free(reply);
    return result;
}

void X11Properties::setText(xcb_window_t window, const char *name, const QByteArray &value) const
{
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom(name), XCB_ATOM_STRING, 8,
                        uint32_t(value.size()), value.constData());
    xcb_flush(m_connection);
}

bool X11Properties::windowManagerRunning() const
{
    const QList<quint32> check = values(m_root, "_NET_SUPPORTING_WM_CHECK");
    return !check.isEmpty() && values(check.first(), "_NET_SUPPORTING_WM_CHECK") == check;
}

bool X11Properties::isViewable(xcb_window_t window) const
{
    xcb_get_window_attributes_reply_t *reply = xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
}

bool X11Properties::windowManagerAnswers()
{
    if (!windowManagerRunning())
        return false;
    if (!m_probe) {
        m_probe = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_probe, m_root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    }
    if (!values(m_probe, "_NET_FRAME_EXTENTS").isEmpty()) {
        xcb_destroy_window(m_connection, m_probe);
        m_probe = 0;
        return true;
    }
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = m_probe;
    event.type = atom("_NET_REQUEST_FRAME_EXTENTS");
    xcb_send_event(m_connection, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(m_connection);
    return false;
}
