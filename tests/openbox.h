// SPDX-License-Identifier: MIT
#pragma once

#include "service.h"

class X11Properties;

// openbox, the window manager tests run the program under, on the test's X
// server: with a home of its own, so no user configuration is read; ready
// once it answers on the screen. False, with its output in the service's
// log, when it does not come up.
bool startOpenbox(Service &openbox, const QString &home, X11Properties &x11);
