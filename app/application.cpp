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

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <thread>

namespace {

// Loads the sound library when the user first touches the program, which
// comes before any FIRE! from the keyboard or the mouse: the first frame and
// a console left unused never pay for SDL and the thirty libraries it maps,
// and the first FIRE! finds it ready. A key that fires at once, or a FIRE!
// from an assistive tool, starts its sound once the library has loaded.
class SoundOnFirstInput : public QObject {
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
            qApp->removeEventFilter(this);
            player::prepare();
            break;
        default:
            break;
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
    display.connecting();
    QApplication app(argc, argv);
    display.connected();
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
    SoundOnFirstInput soundLoader;
    app.installEventFilter(&soundLoader);
    launcher.show();
    return QApplication::exec();
}
