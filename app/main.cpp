// SPDX-License-Identifier: MIT
#include "application.h"
#include "signalclose.h"

int main(int argc, char *argv[])
{
    SignalClose::catchSignals();
    return runApplication(argc, argv);
}
