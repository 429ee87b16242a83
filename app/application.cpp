#include "application.h"

#include "failurebox.h"
#include "fonts.h"
#include "launcher.h"
#include "signalclose.h"

#include <QApplication>

#include <cstdio>

#include <xcb/xcb.h>

namespace {

// Qt aborts with a platform-plugin error when it cannot reach a display;
// asking the X server first lets the program say so in plain words.
bool xServerReachable()
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

} // namespace

QString missingDisplay()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ||
        qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return {};
    if (!qEnvironmentVariableIsSet("DISPLAY"))
        return QStringLiteral("vantory-laser needs a graphical desktop, and no display was found "
                              "(neither DISPLAY nor WAYLAND_DISPLAY is set).");
    if (!xServerReachable())
        return QStringLiteral("vantory-laser needs a graphical desktop, and the display %1 "
                              "could not be reached.")
            .arg(qEnvironmentVariable("DISPLAY"));
    return {};
}

int runApplication(int argc, char *argv[])
{
    if (const QString problem = missingDisplay(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vantory-laser"));
    QApplication::setApplicationVersion(QStringLiteral(LASER_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.vantory.laser"));
    installFontSubstitutions();
    installFailureBox();
    SignalClose signalClose;

    Launcher launcher;
    launcher.show();
    return app.exec();
}
