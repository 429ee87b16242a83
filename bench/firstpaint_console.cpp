// SPDX-License-Identifier: MIT
// The launcher itself, started exactly as the installed program starts, with
// a probe that ends it after its console's first frame.
#include "application.h"
#include "firstpaintprobe.h"

#include <QCoreApplication>

Q_COREAPP_STARTUP_FUNCTION(installFirstPaintProbe)

int main(int argc, char *argv[])
{
    return runApplication(argc, argv);
}
