// SPDX-License-Identifier: MIT
#pragma once

#include "service.h"

#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>

// A session bus and an accessibility bus of the test's own, as a desktop
// session gives them to a screen reader: dbus-daemon, then the AT-SPI bus
// launcher, each started, awaited and stopped by its process id. A program
// started with environment() publishes its windows there, and fire() drives
// it as a screen reader user would (tests/atspi_fire.py with Debian's python
// and pyatspi).
class AccessibilityBus {
public:
    // runtimeDirectory: a private folder (mode 0700) for the sockets.
    explicit AccessibilityBus(QString runtimeDirectory);

    static bool available();
    bool start();
    void stop();
    QString log();

    QProcessEnvironment environment(QProcessEnvironment base) const;
    // One firing of the program named application, with the given delay
    // text: the driver's report, or an object holding "error".
    QJsonObject fire(const QString &application, const QString &delay) const;

private:
    bool answers(bool launcher) const;

    QString m_runtimeDirectory;
    QString m_address;
    Service m_session;
    Service m_launcher;
};
