// SPDX-License-Identifier: MIT
#include "accessibilitybus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

const QString Launcher = QStringLiteral("/usr/libexec/at-spi-bus-launcher");
const QString Python = QStringLiteral("/usr/bin/python3");
const QString Driver = QStringLiteral(LASER_TESTS_DIR "/atspi_fire.py");

} // namespace

AccessibilityBus::AccessibilityBus(QString runtimeDirectory)
    : m_runtimeDirectory(std::move(runtimeDirectory))
    , m_address(QStringLiteral("unix:path=") + m_runtimeDirectory + QStringLiteral("/bus"))
    , m_session(QStringLiteral("dbus-daemon"))
    , m_launcher(QStringLiteral("at-spi-bus-launcher"))
{
}

bool AccessibilityBus::available()
{
    return QFileInfo(Launcher).isExecutable() && QFileInfo(Python).isExecutable();
}

// The session bus answers once it takes a connection; the launcher once it
// owns its name there and tells the accessibility bus's address.
bool AccessibilityBus::answers(bool launcher) const
{
    const QString probe = QStringLiteral("laser-test-probe");
    bool answered = false;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, probe);
        if (bus.isConnected() && !launcher) {
            answered = true;
        } else if (bus.isConnected() &&
                   bus.interface()->isServiceRegistered(QStringLiteral("org.a11y.Bus"))) {
            const QDBusReply<QString> address = bus.call(QDBusMessage::createMethodCall(
                QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
            answered = address.isValid() && !address.value().isEmpty();
        }
    }
    QDBusConnection::disconnectFromBus(probe);
    return answered;
}

bool AccessibilityBus::start()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", m_runtimeDirectory);
    if (!m_session.start(QStringLiteral("dbus-daemon"),
                         {"--config-file=/usr/share/dbus-1/session.conf", "--nofork", "--nopidfile",
                          "--address=" + m_address},
                         environment, [this] { return answers(false); }))
        return false;
    environment.insert("DBUS_SESSION_BUS_ADDRESS", m_address);
    return m_launcher.start(Launcher, {"--launch-immediately"}, environment,
                            [this] { return answers(true); });
}

void AccessibilityBus::stop()
{
    m_launcher.stop();
    m_session.stop();
}

QString AccessibilityBus::log()
{
    return m_session.log() + QLatin1Char('\n') + m_launcher.log();
}

QProcessEnvironment AccessibilityBus::environment(QProcessEnvironment base) const
{
    base.insert("XDG_RUNTIME_DIR", m_runtimeDirectory);
    base.insert("DBUS_SESSION_BUS_ADDRESS", m_address);
    base.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    base.remove("AT_SPI_BUS_ADDRESS");
    return base;
}

QJsonObject AccessibilityBus::fire(const QString &application, const QString &delay) const
{
    QProcess driver;
    driver.setProcessEnvironment(environment(QProcessEnvironment::systemEnvironment()));
    driver.start(Python, {Driver, application, delay});
    if (!driver.waitForFinished(60000)) {
        driver.kill();
        driver.waitForFinished();
        return {{"error", "the driver did not finish"}};
    }
    QJsonObject report = QJsonDocument::fromJson(driver.readAllStandardOutput()).object();
    if (report.isEmpty())
        return {{"error", QString::fromLocal8Bit(driver.readAllStandardError())}};
    return report;
}
