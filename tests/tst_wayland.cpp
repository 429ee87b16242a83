// SPDX-License-Identifier: MIT
#include "accessibilitybus.h"
#include "programrun.h"
#include "service.h"
#include "x11windows.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <memory>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// The real program on Qt's native Wayland platform under a real compositor
// (weston, headless). The compositor has no input devices, so the firing is
// driven through the accessibility bus as a screen reader user would; the
// compositor's own log of the protocol shows what it was told. Weston, like
// GNOME, draws no frames for Wayland windows; left to choose, the program
// takes the compositor's X server, whose window manager draws them.
class tst_Wayland : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void oneFiringEndsCleanly();
    void appIdIsTheLauncherName();
    void framesLeftToTheDesktop();

private:
    bool compositorAnswers() const;
    QString protocolLog() const;

    QTemporaryDir m_runtime;
    QString m_socket;
    QString m_xDisplay;
    std::unique_ptr<Service> m_weston;
    std::unique_ptr<AccessibilityBus> m_bus;
};

void tst_Wayland::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty())
        QSKIP("needs weston");
    if (!AccessibilityBus::available())
        QSKIP("needs at-spi2-core and Debian's python3");
    // Weston insists on a runtime folder of the user's own, closed to others.
    QVERIFY(m_runtime.isValid());
    QVERIFY(QFile::setPermissions(m_runtime.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_socket = QStringLiteral("laser-test-%1").arg(QCoreApplication::applicationPid());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", m_runtime.path());
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    QStringList arguments = {"--backend=headless-backend.so",
                             "--socket=" + m_socket,
                             "--no-config",
                             "--idle-time=0",
                             "--logger-scopes=log,proto",
                             "--log=" + m_runtime.filePath("weston.log")};
    const bool xwayland = !QStandardPaths::findExecutable(QStringLiteral("Xwayland")).isEmpty();
    if (xwayland)
        arguments << "--xwayland";
    m_weston = std::make_unique<Service>(QStringLiteral("weston"));
    QVERIFY2(m_weston->start(QStringLiteral("weston"), arguments, environment,
                             [this] { return compositorAnswers(); }),
             qPrintable(m_weston->log()));
    // Weston names the X display it listens on; its X server starts with the first client.
    static const QRegularExpression listening(QStringLiteral("listening on display (:\\d+)"));
    if (xwayland) {
        QTRY_VERIFY_WITH_TIMEOUT(listening.match(protocolLog()).hasMatch(), 5000);
        m_xDisplay = listening.match(protocolLog()).captured(1);
    }

    m_bus = std::make_unique<AccessibilityBus>(m_runtime.path());
    QVERIFY2(m_bus->start(), qPrintable(m_bus->log()));
}

void tst_Wayland::cleanupTestCase()
{
    if (m_bus)
        m_bus->stop();
    if (m_weston)
        m_weston->stop();
}

// Ready once its socket takes a connection.
bool tst_Wayland::compositorAnswers() const
{
    const QByteArray path = QFile::encodeName(m_runtime.filePath(m_socket));
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    if (fd >= 0)
        ::close(fd);
    return connected;
}

QString tst_Wayland::protocolLog() const
{
    QFile log(m_runtime.filePath("weston.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

// Delay 1, FIRE!, OK: the result window comes and goes; the end of the
// session (SIGTERM, as at logout) then ends the program with status 0 and
// no scratch file left.
void tst_Wayland::oneFiringEndsCleanly()
{
    QTemporaryDir temp;
    ProgramRun program;
    program.environment() = m_bus->environment(program.environment());
    program.environment().insert("QT_QPA_PLATFORM", "wayland");
    program.environment().insert("WAYLAND_DISPLAY", m_socket);
    program.environment().remove("DISPLAY");
    program.start(temp.path());

    const QJsonObject report = m_bus->fire(QStringLiteral("vantory-laser"), QStringLiteral("1"));
    QVERIFY2(!report.contains("error"), qPrintable(report.value("error").toString()));
    const QJsonObject result = report.value("result").toObject();
    QCOMPARE(result.value("name").toString(), QStringLiteral("KABOOM!"));
    QVERIFY(result.value("showing").toBool());
    const double after = report.value("resultAfter").toDouble();
    QVERIFY2(after > 1.5 && after < 6, qPrintable(QString::number(after)));
    QVERIFY(report.value("resultClosed").toBool());
    QVERIFY(protocolLog().contains(QStringLiteral(".set_title(\"KABOOM!\")")));

    QCOMPARE(program.process().state(), QProcess::Running);
    QCOMPARE(::kill(pid_t(program.pid()), SIGTERM), 0);
    program.verifyCleanEnd(temp.path());
}

// Docks match a window to its launcher by the app id the window gives the
// compositor: it must be the launcher's file name.
void tst_Wayland::appIdIsTheLauncherName()
{
    const QStringList launchers =
        QDir(QStringLiteral(LASER_SOURCE_DIR "/app")).entryList({"*.desktop"}, QDir::Files);
    QCOMPARE(launchers.size(), 1);
    const QString expected = launchers.first().chopped(int(qstrlen(".desktop")));

    static const QRegularExpression setAppId(
        QStringLiteral("xdg_toplevel@\\d+\\.set_app_id\\(\"([^\"]*)\"\\)"));
    QStringList seen;
    for (const QRegularExpressionMatch &match : setAppId.globalMatch(protocolLog()))
        seen << match.captured(1);
    QVERIFY2(seen.size() >= 2, "the console and the result window each name their app id");
    for (const QString &appId : seen)
        QCOMPARE(appId, expected);
}

// Without QT_QPA_PLATFORM the program asks the compositor, finds that it
// draws no frames, and shows its windows on the compositor's X server; the
// buttons the window manager draws there are tst_taskbar's.
void tst_Wayland::framesLeftToTheDesktop()
{
    if (m_xDisplay.isEmpty())
        QSKIP("needs Xwayland");
    QTemporaryDir temp;
    ProgramRun program;
    program.environment().insert("WAYLAND_DISPLAY", m_socket);
    program.environment().insert("DISPLAY", m_xDisplay);
    program.start(temp.path());
    xcb_connection_t *connection = xcb_connect(qPrintable(m_xDisplay), nullptr);
    auto disconnect = qScopeGuard([connection] { xcb_disconnect(connection); });
    const X11Windows windows(connection);
    const xcb_window_t console = windows.waitFor(ConsoleTitle, 15000, program.pid());
    QVERIFY2(console, "no console on the compositor's X server");
    windows.requestClose(console);
    program.verifyCleanEnd(temp.path());
}

QTEST_MAIN(tst_Wayland)
#include "tst_wayland.moc"
