// SPDX-License-Identifier: MIT
#include "openbox.h"

#include "x11properties.h"

bool startOpenbox(Service &openbox, const QString &home, X11Properties &x11)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + "/config");
    environment.insert("XDG_CACHE_HOME", home + "/cache");
    return openbox.start(QStringLiteral("openbox"), {"--sm-disable"}, environment,
                         [&x11] { return x11.windowManagerAnswers(); });
}
