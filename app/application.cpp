// SPDX-License-Identifier: MIT
#include "application.h"

#include "displayprobe.h"
#include "exitcleanup.h"
#include "failure.h"
#include "failurebox.h"
#include "fonts.h"
#include "launcher.h"
#include "scratchfiles.h"
#include "signalclose.h"

#include <QApplication>

#include <cstdio>
#include <optional>

int runApplication(int argc, char *argv[])
{
    DisplayProbe display;
    if (const QString problem = display.problem(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
        return 2;
    }
    std::optional<QApplication> app;
    display.connectQt([&] { app.emplace(argc, argv); });
    QApplication::setApplicationName(QStringLiteral("vantory-laser"));
    QApplication::setApplicationVersion(QStringLiteral(LASER_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.vantory.laser"));
    installFontSubstitutions();
    setFailureCleanUp(scratch::deleteAll);
    installFailureBox();
    SignalClose signalClose;

    const ExitCleanup cleanup;
    Launcher launcher;
    launcher.show();
    return app->exec();
}
