// SPDX-License-Identifier: MIT
#include "dialog.h"
#include "dialoghost.h"
#include "failure.h"
#include "form1.h"
#include "openbox.h"
#include "programrun.h"
#include "service.h"
#include "x11properties.h"
#include "x11windows.h"

#include <QFile>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdlib>

#include <memory>

// On a real X server with a real window manager (openbox), the windows as a
// taskbar sees them: which ones the window manager lists, which of those ask
// to be left out of taskbars and pagers, and which buttons their frames get.
// Without a window manager the states must already be on the window when it
// maps.
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
    void frameButtons_data();
    void frameButtons();
    void consoleClassIsTheLaunchers();
    void launcherStartsFeedback();

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

bool tst_Taskbar::startOpenbox()
{
    m_openbox = std::make_unique<Service>(QStringLiteral("openbox"));
    return ::startOpenbox(*m_openbox, m_temp.path(), *m_x11);
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
    // An ordinary window without an owner: GNOME's window manager rejects
    // the invisible owner Qt gives a tool or dialog window that has none.
    const auto id = xcb_window_t(window.winId());
    QCOMPARE(m_x11->atomNames(id, "_NET_WM_WINDOW_TYPE")
                 .value(0, QStringLiteral("_NET_WM_WINDOW_TYPE_NORMAL")),
             QStringLiteral("_NET_WM_WINDOW_TYPE_NORMAL"));
    QVERIFY(m_x11->values(id, "WM_TRANSIENT_FOR").isEmpty());
}

void tst_Taskbar::frameButtons_data()
{
    QTest::addColumn<bool>("resultWindow");
    QTest::addColumn<bool>("minimise");
    QTest::newRow("console") << false << true;
    QTest::newRow("result window") << true << false;
}

// The buttons each frame gets: the boxes the window asks any window manager
// to draw (the decorations of _MOTIF_WM_HINTS, which openbox and GNOME's
// window manager follow), a close box always, a minimise box on the console
// only, a maximise box never; and openbox, which lets any window be
// minimised whatever it draws, lets neither be maximised.
void tst_Taskbar::frameButtons()
{
    QFETCH(bool, resultWindow);
    QFETCH(bool, minimise);
    QVERIFY2(startOpenbox(), qPrintable(m_openbox->log()));
    Form1 console;
    DialogHost host(console);
    console.show();
    host.Show();
    QWidget *window = resultWindow ? static_cast<QWidget *>(host.dialog()) : &console;
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(settled());
    const auto id = xcb_window_t(window->winId());
    constexpr quint32 DecorationsGiven = 2, Title = 8, Minimise = 32, Maximise = 64;
    const QList<quint32> hints = m_x11->values(id, "_MOTIF_WM_HINTS");
    QVERIFY(hints.size() >= 3 && (hints[0] & DecorationsGiven));
    QVERIFY(hints[2] & Title);
    QCOMPARE(bool(hints[2] & Minimise), minimise);
    QVERIFY(!(hints[2] & Maximise));
    const QStringList allowed = m_x11->atomNames(id, "_NET_WM_ALLOWED_ACTIONS");
    QVERIFY2(allowed.contains("_NET_WM_ACTION_CLOSE") &&
                 !allowed.contains("_NET_WM_ACTION_MAXIMIZE_HORZ") &&
                 !allowed.contains("_NET_WM_ACTION_MAXIMIZE_VERT"),
             qPrintable(allowed.join(", ")));
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
    const xcb_window_t console = X11Windows().waitFor(ConsoleTitle, 15000);
    QVERIFY(console);
    // Instance and class, each ended by a zero byte.
    const QList<QByteArray> wmClass = m_x11->text(console, "WM_CLASS").split('\0');
    X11Windows().requestClose(console);
    program.verifyCleanEnd(temp.path());
    QCOMPARE(wmClass.size(), 3);
    QCOMPARE(QString::fromUtf8(wmClass.at(1)), startupClass);
}

namespace {

// The start-up notification messages X clients broadcast on the root window
// (_NET_STARTUP_INFO_BEGIN, then _NET_STARTUP_INFO, 20 bytes a piece, up to
// a zero byte), read through a connection of the test's own.
class StartupMessages {
public:
    StartupMessages()
        : m_connection(xcb_connect(nullptr, nullptr))
        , m_x11(m_connection)
    {
        if (!m_x11.isValid())
            return;
        const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_connection, m_x11.root(), XCB_CW_EVENT_MASK, &mask);
        m_begin = m_x11.atom("_NET_STARTUP_INFO_BEGIN");
        m_more = m_x11.atom("_NET_STARTUP_INFO");
        xcb_flush(m_connection);
    }
    ~StartupMessages() { xcb_disconnect(m_connection); }
    StartupMessages(const StartupMessages &) = delete;
    StartupMessages &operator=(const StartupMessages &) = delete;

    QStringList received()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE)
                take(*reinterpret_cast<xcb_client_message_event_t *>(event));
            std::free(event);
        }
        return m_messages;
    }

private:
    void take(const xcb_client_message_event_t &message)
    {
        if (message.type == m_begin)
            m_partial.clear();
        else if (message.type != m_more)
            return;
        const QByteArray piece(reinterpret_cast<const char *>(message.data.data8), 20);
        const qsizetype end = piece.indexOf('\0');
        m_partial += end < 0 ? piece : piece.left(end);
        if (end >= 0) {
            m_messages << QString::fromUtf8(m_partial);
            m_partial.clear();
        }
    }

    xcb_connection_t *const m_connection;
    X11Properties m_x11;
    xcb_atom_t m_begin = XCB_ATOM_NONE;
    xcb_atom_t m_more = XCB_ATOM_NONE;
    QByteArray m_partial;
    QStringList m_messages;
};

} // namespace

// Started from its launcher as a desktop's menu starts it (GIO, which gives
// the program a start-up ID only when the launcher asks for feedback), the
// program ends that very feedback once its window shows.
void tst_Taskbar::launcherStartsFeedback()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python))
        QSKIP("needs Debian's python3 with GIO");
    QTemporaryDir temp;
    // The launcher starts the program by its name alone, from the PATH.
    QVERIFY(QFile::link(ProgramRun::binary(), temp.filePath("vantory-laser")));
    StartupMessages messages;
    QProcessEnvironment environment = ProgramRun().environment();
    environment.insert("PATH", temp.path() + ":" + environment.value("PATH"));
    environment.insert("TEMP", temp.path());
    environment.insert("SDL_AUDIODRIVER", "dummy");
    QProcess menu;
    menu.setProcessEnvironment(environment);
    const QString log = temp.filePath("program.log");
    menu.start(python, {LASER_SOURCE_DIR "/tests/launch_desktop.py",
                        LASER_SOURCE_DIR "/app/io.github.vantory.laser.desktop", log});
    QVERIFY(menu.waitForFinished(10000));
    const QStringList said = QString::fromUtf8(menu.readAll()).split(u'\n');
    const qint64 pid = said.value(1).section(u' ', 1).toLongLong();
    QVERIFY2(pid > 0, qPrintable(said.join(' ')));
    auto stop = qScopeGuard([pid] { ::kill(pid_t(pid), SIGKILL); });

    QCOMPARE(said.value(0), QStringLiteral("id laser-test-launch_TIME0"));
    const xcb_window_t console = X11Windows().waitFor(ConsoleTitle, 15000);
    QFile errors(log);
    QVERIFY2(console, errors.open(QIODevice::ReadOnly) ? errors.readAll().constData() : "no log");
    const QString ended = QStringLiteral("remove: ID=laser-test-launch_TIME0");
    QVERIFY2(waitUntil([&] { return messages.received().contains(ended); }, 5000),
             qPrintable("start-up messages: " + messages.received().join(" | ")));
    X11Windows().requestClose(console);
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(temp.filePath("audiojunglecountdown.wav")), 10000);
}

QTEST_MAIN(tst_Taskbar)
#include "tst_taskbar.moc"
