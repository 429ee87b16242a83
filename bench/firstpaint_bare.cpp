// SPDX-License-Identifier: MIT
// The anchor: the least a Qt Widgets program does to show a window of the
// console's size with one label, ended by the same probe after its first frame.
#include "firstpaintprobe.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

Q_COREAPP_STARTUP_FUNCTION(installFirstPaintProbe)

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(430, 244);
    QLabel label(QStringLiteral("Vantory Orbital Laser"), &window);
    window.show();
    return app.exec();
}
