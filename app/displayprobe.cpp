// SPDX-License-Identifier: MIT
#include "displayprobe.h"

#include "ending.h"

#include <QDeadlineTimer>
#include <QList>

#include <chrono>
#include <thread>

#include <wayland-client.h>
#include <xcb/xcb.h>

namespace {

constexpr int RetryMs = 2000;

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QList<HeldMessage> heldMessages;

QString unreachable(const QString &display)
{
    if (display.isEmpty())
        return QStringLiteral("vantory-laser needs a graphical desktop, and no display was "
                              "found (neither DISPLAY nor WAYLAND_DISPLAY is set).");
    return QStringLiteral("vantory-laser needs a graphical desktop, and the display %1 "
                          "could not be reached.")
        .arg(display);
}

// Whether the Wayland compositor offers to draw its clients' frames
// (xdg-decoration); one it cannot be asked counts as drawing them, and Qt
// is left to find out.
bool compositorDrawsFrames()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return true;
    bool offered = false;
    static const wl_registry_listener listener = {
        [](void *data, wl_registry *, uint32_t, const char *interface, uint32_t) {
            if (QByteArrayView(interface) == "zxdg_decoration_manager_v1")
                *static_cast<bool *>(data) = true;
        },
        [](void *, wl_registry *, uint32_t) {}};
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &offered);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return offered || !answered;
}

xcb_connection_t *connectWithin(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection) == 0)
            return connection;
        xcb_disconnect(connection);
        if (deadline.hasExpired())
            return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

DisplayProbe::DisplayProbe()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) {
        // A compositor that draws no window frames (GNOME's) leaves them to
        // Qt, whose frames carry minimise, maximise and close on every window
        // alike. Through the desktop's X server the desktop draws them, in
        // its own style, with the buttons each window asks for; there the
        // result window also keeps its place and stays out of the taskbar.
        if (!compositorDrawsFrames() && qEnvironmentVariableIsSet("DISPLAY")) {
            m_connection = connectWithin(0);
            if (m_connection)
                qputenv("QT_QPA_PLATFORM", "xcb");
        }
        return;
    }
    if (!qEnvironmentVariableIsSet("DISPLAY")) {
        m_problem = unreachable({});
        return;
    }
    m_connection = connectWithin(RetryMs);
    if (!m_connection)
        m_problem = unreachable(qEnvironmentVariable("DISPLAY"));
}

DisplayProbe::~DisplayProbe()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

void DisplayProbe::holdMessage(QtMsgType type, const QMessageLogContext &context,
                               const QString &text)
{
    if (type == QtFatalMsg) {
        const QString display = qEnvironmentVariable("DISPLAY");
        ending::exitNow(
            2, unreachable(display.isEmpty() ? qEnvironmentVariable("WAYLAND_DISPLAY") : display));
    }
    heldMessages.append({type, QByteArray(context.category), text});
}

void DisplayProbe::connected(QtMessageHandler handler)
{
    for (const HeldMessage &held : std::as_const(heldMessages)) {
        const QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
        handler(held.type, context, held.text);
    }
    heldMessages.clear();
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
}
