#include "application.h"

#include "dialog.h"
#include "dialoghost.h"
#include "failurebox.h"
#include "fonts.h"
#include "form1.h"
#include "signalclose.h"

#include <QApplication>

#include <cstdio>

bool displayAvailable()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

int runApplication(int argc, char *argv[])
{
    if (!displayAvailable()) {
        std::fputs("vantory-laser needs a graphical desktop, and no display was found "
                   "(neither DISPLAY nor WAYLAND_DISPLAY is set).\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vantory-laser"));
    QApplication::setApplicationVersion(QStringLiteral(LASER_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.vantory.laser"));
    installFontSubstitutions();
    installFailureBox();
    SignalClose signalClose;

    Form1 console;
    DialogHost results(console);
    QObject::connect(&console, &Form1::resultRequested, &results, &DialogHost::Show);
    console.show();
    return app.exec();
}
