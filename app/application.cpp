// SPDX-License-Identifier: MIT
#include "application.h"

#include "displayprobe.h"
#include "ending.h"
#include "exitcleanup.h"
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

QtMessageHandler qtMessageHandler = nullptr;

// The program's message handler once Qt has connected: a fatal message runs
// the clean-up before Qt's own handler ends the program.
void cleanUpBeforeFatal(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg)
        ending::cleanUp();
    qtMessageHandler(type, context, text);
}

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
    // fontconfig's start, reading its configuration and font caches, is a
    // large part of the work before the first frame: it runs on another
    // processor while Qt connects to the display, and Qt's font database
    // finds it done.
    std::jthread fontconfig([] { FcInit(); });
    DisplayProbe display;
    if (const QString problem = display.problem(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
        // Nothing will use it: it is let go, as a program that ends should.
        fontconfig.join();
        FcFini();
        return 2;
    }
    // Qt's messages pass through the program's handlers, which are installed
    // here and nowhere else, one at a time and in this order, each handing on
    // to Qt's own: while Qt connects to the display, the probe's, which holds
    // them back and makes a fatal one the program's sentence; from then on,
    // the clean-up's.
    qtMessageHandler = qInstallMessageHandler(DisplayProbe::holdMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(cleanUpBeforeFatal);
    display.connected(qtMessageHandler);
    QApplication::setApplicationName(QStringLiteral("vantory-laser"));
    QApplication::setApplicationVersion(QStringLiteral(LASER_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.vantory.laser"));
    installFontSubstitutions();
    fontconfig.join();
    installFailureBox();
    SignalClose signalClose;

    // From here on every way of ending deletes the scratch files.
    const ExitCleanup cleanup(scratch::deleteAll);
    Launcher launcher;
    SoundOnFirstInput soundLoader;
    app.installEventFilter(&soundLoader);
    launcher.show();
    return QApplication::exec();
}
