// SPDX-License-Identifier: MIT
#include "accessibilitybus.h"
#include "programrun.h"
#include "x11windows.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The real program on a real X server, published on a real accessibility
// bus, as a screen reader sees it: one firing is driven through the bus
// (delay 1, FIRE!, OK) and what the reader found is checked here.
class tst_AtSpi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void consoleControls_data();
    void consoleControls();
    void nothingReachableIsNameless_data();
    void nothingReachableIsNameless();
    void resultWindow();

private:
    QTemporaryDir m_runtime;
    std::unique_ptr<AccessibilityBus> m_bus;
    QJsonObject m_report;
};

namespace {

QJsonObject findNode(const QJsonObject &node, const QString &role, const QString &name)
{
    if (node.value("role").toString() == role && node.value("name").toString() == name)
        return node;
    for (const auto &child : node.value("children").toArray()) {
        QJsonObject found = findNode(child.toObject(), role, name);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

void collectUnnamed(const QJsonObject &node, QStringList &unnamed)
{
    static const QStringList reachable = {
        "ROLE_PUSH_BUTTON", "ROLE_RADIO_BUTTON", "ROLE_CHECK_BOX",    "ROLE_SLIDER",
        "ROLE_SPIN_BUTTON", "ROLE_TEXT",         "ROLE_PROGRESS_BAR", "ROLE_IMAGE"};
    if (node.value("showing").toBool() && reachable.contains(node.value("role").toString()) &&
        node.value("name").toString().trimmed().isEmpty())
        unnamed << node.value("role").toString();
    for (const auto &child : node.value("children").toArray())
        collectUnnamed(child.toObject(), unnamed);
}

} // namespace

void tst_AtSpi::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run)");
    if (!AccessibilityBus::available())
        QSKIP("needs at-spi2-core and Debian's python3");
    QVERIFY(m_runtime.isValid());
    m_bus = std::make_unique<AccessibilityBus>(m_runtime.path());
    QVERIFY2(m_bus->start(), qPrintable(m_bus->log()));

    QTemporaryDir temp;
    ProgramRun program;
    program.environment() = m_bus->environment(program.environment());
    program.start(temp.path());
    const X11Windows x11;
    const xcb_window_t console = x11.waitFor(ConsoleTitle, 15000);
    QVERIFY(console);
    m_report = m_bus->fire(QStringLiteral("vantory-laser"), QStringLiteral("1"));
    QVERIFY2(!m_report.contains("error"), qPrintable(m_report.value("error").toString()));
    x11.requestClose(console);
    program.verifyCleanEnd(temp.path());
}

void tst_AtSpi::cleanupTestCase()
{
    if (m_bus)
        m_bus->stop();
}

void tst_AtSpi::consoleControls_data()
{
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description"); // a part of it
    QTest::newRow("PowerSlider") << "ROLE_SLIDER"
                                 << "Power"
                                 << "Ultrasonic Infrared Orbital Laser";
    QTest::newRow("TargetTextBox") << "ROLE_TEXT"
                                   << "Target"
                                   << "32 characters";
    QTest::newRow("DelayTextBox") << "ROLE_TEXT"
                                  << "Delay"
                                  << "1 to 20";
    QTest::newRow("DelayUpDown") << "ROLE_FILLER"
                                 << "Delay spinner"
                                 << "one second";
    QTest::newRow("up arrow") << "ROLE_PUSH_BUTTON"
                              << "Up"
                              << "";
    QTest::newRow("down arrow") << "ROLE_PUSH_BUTTON"
                                << "Down"
                                << "";
    QTest::newRow("ProgressBar1") << "ROLE_PROGRESS_BAR"
                                  << "Countdown"
                                  << "one step a second";
    QTest::newRow("FireButton") << "ROLE_PUSH_BUTTON"
                                << "FIRE!"
                                << "countdown";
    QTest::newRow("PenaltyBoxRadio") << "ROLE_RADIO_BUTTON"
                                     << "Penalty Box"
                                     << "";
}

void tst_AtSpi::consoleControls()
{
    QFETCH(QString, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    const QJsonObject console = m_report.value("console").toObject();
    QCOMPARE(console.value("name").toString(), ConsoleTitle);
    const QJsonObject node = findNode(console, role, name);
    QVERIFY2(!node.isEmpty(), "not found");
    QVERIFY(node.value("showing").toBool());
    QVERIFY2(node.value("description").toString().contains(description),
             qPrintable(node.value("description").toString()));
}

void tst_AtSpi::nothingReachableIsNameless_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("console") << "console";
    QTest::newRow("result window") << "result";
}

void tst_AtSpi::nothingReachableIsNameless()
{
    QFETCH(QString, window);
    QStringList unnamed;
    collectUnnamed(m_report.value(window).toObject(), unnamed);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
}

// The window opens with the focus on OK, where the verdict is its
// description; the fireball says what a click does; OK closes the window.
void tst_AtSpi::resultWindow()
{
    const QString verdict = QStringLiteral(
        "zib42zab\nJUST GOT SHOT!\nwith a Power 1 LASER!\n...and sent to the Penalty Box!");
    const QJsonObject result = m_report.value("result").toObject();
    QCOMPARE(result.value("name").toString(), QStringLiteral("KABOOM!"));
    QCOMPARE(result.value("description").toString(), verdict);
    const QJsonObject ok = findNode(result, "ROLE_PUSH_BUTTON", "OK");
    QVERIFY(ok.value("focused").toBool());
    QCOMPARE(ok.value("description").toString(), verdict);
    QVERIFY(findNode(result, "ROLE_IMAGE", "Fireball")
                .value("description")
                .toString()
                .contains("jungle call"));

    // Delay 1: the locked wait of two seconds, then the tick that finds the bar full.
    const double after = m_report.value("resultAfter").toDouble();
    QVERIFY2(after > 1.5 && after < 6, qPrintable(QString::number(after)));
    QVERIFY(m_report.value("resultClosed").toBool());
}

QTEST_MAIN(tst_AtSpi)
#include "tst_atspi.moc"
