// SPDX-License-Identifier: MIT
#include "application.h"

#include "displayprobe.h"
#include "exitcleanup.h"
#include "failure.h"
#include "failurebox.h"
#include "fonts.h"
#include "launcher.h"
#include "player.h"
#include "scratchfiles.h"
#include "signalclose.h"

#include <QApplication>
#include <QTimer>

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <optional>
#include <thread>

namespace {

// Loads the sound library once the first frame is out: the loader's lock and
// the processor stay free while it is painted, and the first FIRE! still
// finds SDL ready.
class SoundAfterFirstFrame : public QObject {
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, this, &sound::prepare);
        }
        return false;
    }
};

} // namespace

int runApplication(int argc, char *argv[])
{
    // fontconfig reads its configuration and font caches, a third of the work
    // before the first frame, on another processor while Qt connects to the
    // display; Qt's font database then finds it done.
    std::jthread fontconfig([] { FcInit(); });
    DisplayProbe display;
    if (const QString problem = display.problem(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
        // Nothing will use it: it is let go, as a program that ends should.
        fontconfig.join();
        FcFini();
        return 2;
    }
    std::optional<QApplication> app;
    display.connectQt([&] { app.emplace(argc, argv); });
    QApplication::setApplicationName(QStringLiteral("vantory-laser"));
    QApplication::setApplicationVersion(QStringLiteral(LASER_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.vantory.laser"));
    installFontSubstitutions();
    fontconfig.join();
    setFailureCleanUp(scratch::deleteAll);
    installFailureBox();
    SignalClose signalClose;

    const ExitCleanup cleanup;
    Launcher launcher;
    SoundAfterFirstFrame soundLoader;
    app->installEventFilter(&soundLoader);
    launcher.show();
    return app->exec();
}
