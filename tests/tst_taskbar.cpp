// SPDX-License-Identifier: MIT
#include "dialog.h"
#include "dialoghost.h"
#include "failure.h"
#include "form1.h"
#include "programrun.h"
#include "service.h"
#include "x11properties.h"
#include "x11windows.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// On a real X server with a real window manager (openbox), the windows as a
// taskbar sees them: which ones the window manager lists, and which of those
// ask to be left out of taskbars and pagers. Without a window manager the
// states must already be on the window when it maps.
class tst_Taskbar : public QObject {
    Q_OBJECT

public:
    enum Reshow { FirstShow, ShownAgainWhenWithdrawn, ShownAgainAtOnce };
    Q_ENUM(Reshow)

private slots:
    void initTestCase();
    void cleanup();
    void resultWindowSkipsTaskbar_data();
    void resultWindowSkipsTaskbar();
    void consoleClassIsTheLaunchers();

private:
    bool startOpenbox();
    QStringList states(const QWidget &window) const;
    bool listed(const QWidget &window) const;
    bool settled() const;
    void verifyLeftOut(const QWidget &window, bool windowManager);

    QTemporaryDir m_temp;
    std::unique_ptr<X11Properties> m_x11;
    std::unique_ptr<Service> m_openbox;
};

const QString SkipTaskbar = QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR");
const QString SkipPager = QStringLiteral("_NET_WM_STATE_SKIP_PAGER");

void tst_Taskbar::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run)");
    QVERIFY(m_temp.isValid());
    qputenv("TEMP", m_temp.path().toLocal8Bit());
    setFailureReport([](const Failure &failure) { QFAIL(qPrintable(failure.description)); });
    m_x11 = std::make_unique<X11Properties>();
    QVERIFY2(!m_x11->windowManagerRunning(), "another window manager runs on this X server");
}

void tst_Taskbar::cleanup()
{
    if (m_openbox) {
        m_openbox->stop();
        m_openbox.reset();
        QTRY_VERIFY(!m_x11->windowManagerRunning());
    }
}

// Started after the X server, with a home of its own so no user
// configuration is read; ready once it has claimed the screen.
bool tst_Taskbar::startOpenbox()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", m_temp.path());
    environment.insert("XDG_CONFIG_HOME", m_temp.filePath("config"));
    environment.insert("XDG_CACHE_HOME", m_temp.filePath("cache"));
    m_openbox = std::make_unique<Service>(QStringLiteral("openbox"));
    return m_openbox->start(QStringLiteral("openbox"), {"--sm-disable"}, environment,
                            [this] { return m_x11->windowManagerAnswers(); });
}

QStringList tst_Taskbar::states(const QWidget &window) const
{
    return m_x11->atomNames(xcb_window_t(window.winId()), "_NET_WM_STATE");
}

bool tst_Taskbar::listed(const QWidget &window) const
{
    return m_x11->values(m_x11->root(), "_NET_CLIENT_LIST").contains(quint32(window.winId()));
}

// The window manager handles requests in order: once it answers a question
// asked now, it has handled everything the windows asked before.
bool tst_Taskbar::settled() const
{
    return waitUntil([this] { return m_x11->windowManagerAnswers(); }, 5000);
}

void tst_Taskbar::verifyLeftOut(const QWidget &window, bool windowManager)
{
    if (windowManager) {
        QVERIFY(settled());
        QTRY_VERIFY_WITH_TIMEOUT(listed(window), 5000);
    }
    QTRY_VERIFY_WITH_TIMEOUT(states(window).contains(SkipTaskbar), 5000);
    // A window manager that let go of the window late must not have taken the states with it.
    if (windowManager)
        QVERIFY(settled());
    const QStringList now = states(window);
    QVERIFY2(now.contains(SkipTaskbar) && now.contains(SkipPager), qPrintable(now.join(", ")));
    QCOMPARE(m_x11->atomNames(xcb_window_t(window.winId()), "_NET_WM_WINDOW_TYPE").value(0),
             QStringLiteral("_NET_WM_WINDOW_TYPE_UTILITY"));
}

void tst_Taskbar::resultWindowSkipsTaskbar_data()
{
    QTest::addColumn<bool>("windowManager");
    QTest::addColumn<Reshow>("reshow");
    QTest::newRow("openbox, first show") << true << FirstShow;
    QTest::newRow("openbox, hidden, withdrawn, shown again") << true << ShownAgainWhenWithdrawn;
    QTest::newRow("openbox, hidden and shown again at once") << true << ShownAgainAtOnce;
    QTest::newRow("no window manager, first show") << false << FirstShow;
    QTest::newRow("no window manager, hidden and shown again") << false << ShownAgainWhenWithdrawn;
}

// The console beside it keeps its taskbar entry: only the result window asks to be left out.
void tst_Taskbar::resultWindowSkipsTaskbar()
{
    QFETCH(bool, windowManager);
    QFETCH(Reshow, reshow);
    if (windowManager)
        QVERIFY2(startOpenbox(), qPrintable(m_openbox->log()));

    Form1 console;
    DialogHost host(console);
    console.show();
    host.Show();
    Dialog *dialog = host.dialog();
    QVERIFY(QTest::qWaitForWindowExposed(&console));
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    verifyLeftOut(*dialog, windowManager);
    if (QTest::currentTestFailed())
        return;

    if (reshow != FirstShow) {
        dialog->hide();
        if (reshow == ShownAgainWhenWithdrawn) {
            QTRY_VERIFY(!m_x11->isViewable(xcb_window_t(dialog->winId())) && !listed(*dialog));
            QVERIFY(!windowManager || settled());
        }
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        verifyLeftOut(*dialog, windowManager);
    }

    if (windowManager)
        QTRY_VERIFY(listed(console));
    QVERIFY2(!states(console).contains(SkipTaskbar), qPrintable(states(console).join(", ")));
}

// Docks group a window with its launcher by the class part of WM_CLASS.
void tst_Taskbar::consoleClassIsTheLaunchers()
{
    QFile launcher(QStringLiteral(LASER_SOURCE_DIR "/app/io.github.vantory.laser.desktop"));
    QVERIFY(launcher.open(QIODevice::ReadOnly | QIODevice::Text));
    QString startupClass;
    for (const QByteArray &line : launcher.readAll().split('\n')) {
        if (line.startsWith("StartupWMClass="))
            startupClass = QString::fromUtf8(line.mid(int(qstrlen("StartupWMClass="))));
    }
    QVERIFY2(!startupClass.isEmpty(), "the launcher names no StartupWMClass");

    QTemporaryDir temp;
    ProgramRun program;
    program.start(temp.path());
    const xcb_window_t console =
        X11Windows().waitFor(QStringLiteral("Vantory Orbital Laser - qelmor edition:tm:"), 15000);
    QVERIFY(console);
    // Instance and class, each ended by a zero byte.
    const QList<QByteArray> wmClass = m_x11->text(console, "WM_CLASS").split('\0');
    X11Windows().requestClose(console);
    program.verifyCleanEnd(temp.path());
    QCOMPARE(wmClass.size(), 3);
    QCOMPARE(QString::fromUtf8(wmClass.at(1)), startupClass);
}

QTEST_MAIN(tst_Taskbar)
#include "tst_taskbar.moc"
