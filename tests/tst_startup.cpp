// SPDX-License-Identifier: MIT
#include "programrun.h"
#include "service.h"
#include "x11windows.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

using namespace Qt::StringLiterals;

// The real program against an X server of the test's own that no one else
// uses: a bare Xvfb starts over whenever its last client leaves, and it can
// go away altogether. The test looks at it only through connections it
// opens and closes again, as any short-lived client would.
class tst_Startup : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsAfterKilledStarts();
    void displayGoesAway_data();
    void displayGoesAway();

private:
    bool startServer();
    xcb_window_t findWindow(const QString &title, QRect *geometry = nullptr) const;
    xcb_window_t waitForWindow(const QString &title, int timeoutMs, QRect *geometry = nullptr);
    void startProgram(const QString &temp);

    std::unique_ptr<Service> m_server;
    QString m_display;
    std::unique_ptr<ProgramRun> m_program;
};

void tst_Startup::init()
{
    QVERIFY2(startServer(), qPrintable(m_server->log()));
}

void tst_Startup::cleanup()
{
    m_program.reset();
    m_server.reset();
}

// Xvfb picks a free display itself and writes its number once it answers.
bool tst_Startup::startServer()
{
    m_server = std::make_unique<Service>(QStringLiteral("Xvfb"));
    m_display.clear();
    const QRegularExpression number(QStringLiteral("(?:^|\\n)(\\d+)\\n"));
    return m_server->start(QStringLiteral("Xvfb"),
                           {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"},
                           QProcessEnvironment::systemEnvironment(), [&] {
                               const QRegularExpressionMatch match =
                                   number.match(QString::fromLatin1(m_server->output()));
                               if (match.hasMatch())
                                   m_display = u':' + match.captured(1);
                               return !m_display.isEmpty();
                           });
}

xcb_window_t tst_Startup::findWindow(const QString &title, QRect *geometry) const
{
    xcb_connection_t *connection = xcb_connect(m_display.toLatin1().constData(), nullptr);
    const X11Windows windows(connection);
    const xcb_window_t window = windows.find(title);
    if (window && geometry)
        *geometry = windows.geometry(window);
    xcb_disconnect(connection);
    return window;
}

// Polls through a fresh connection every 20 ms: each time the test's
// connection closes while the program has none, the server starts over.
xcb_window_t tst_Startup::waitForWindow(const QString &title, int timeoutMs, QRect *geometry)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        if (const xcb_window_t window = findWindow(title, geometry))
            return window;
        if (m_program->process().state() == QProcess::NotRunning)
            return 0;
        QTest::qWait(20);
    }
    return 0;
}

void tst_Startup::startProgram(const QString &temp)
{
    m_program = std::make_unique<ProgramRun>();
    m_program->environment().insert(QStringLiteral("DISPLAY"), m_display);
    m_program->environment().remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_program->start(temp);
}

// Fifty starts in a row, each stopped with SIGKILL as soon as its console is
// up, while the test polls with connections of its own: the server starts
// over again and again around the program's start. Every start must reach
// its console: none may end in Qt's abort, none may give up on a server that
// is only starting over.
void tst_Startup::startsAfterKilledStarts()
{
    QStringList aborted;
    QStringList refused;
    QStringList littered;
    for (int start = 1; start <= 50; ++start) {
        QTemporaryDir temp;
        startProgram(temp.path());
        if (waitForWindow(ConsoleTitle, 10000)) {
            m_program->kill();
            continue;
        }
        QVERIFY2(m_program->finished(5000), "neither a console nor an end");
        QProcess &process = m_program->process();
        const QString what = QString::number(start);
        if (process.exitStatus() == QProcess::CrashExit)
            aborted << what + u'/' + QString::number(process.exitCode());
        else if (process.exitCode() == 2)
            refused << what;
        else
            QFAIL(qPrintable(u"start %1 ended with %2"_s.arg(what).arg(process.exitCode())));
        if (!QDir(temp.path()).entryList({"*.wav"}, QDir::Files).isEmpty())
            littered << what;
    }
    qInfo("aborted: %lld, refused with status 2: %lld", qlonglong(aborted.size()),
          qlonglong(refused.size()));
    QVERIFY2(aborted.isEmpty(), qPrintable(u"starts that aborted: "_s + aborted.join(u' ')));
    QVERIFY2(refused.isEmpty(), qPrintable(u"starts that gave up: "_s + refused.join(u' ')));
    QVERIFY2(littered.isEmpty(), qPrintable(u"starts that left files: "_s + littered.join(u' ')));
}

void tst_Startup::displayGoesAway_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("firing");

    QTest::newRow("server killed, console idle") << int(SIGKILL) << false;
    QTest::newRow("server terminated, console idle") << int(SIGTERM) << false;
    QTest::newRow("server killed in the locked wait") << int(SIGKILL) << true;
}

// With its display gone the program cannot go on, but it still deletes its
// scratch files on the way out.
void tst_Startup::displayGoesAway()
{
    QFETCH(int, signal);
    QFETCH(bool, firing);

    QTemporaryDir temp;
    startProgram(temp.path());
    QRect console;
    QVERIFY2(waitForWindow(ConsoleTitle, 15000, &console), "the console did not appear");
    QVERIFY(QFileInfo::exists(temp.filePath("boomaudiojungle.wav")));
    if (firing) {
        const QPoint fire = console.topLeft() + QPoint(336 + 40, 208 + 12);
        QProcess xdotool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        xdotool.setProcessEnvironment(environment);
        xdotool.start(QStringLiteral("xdotool"), {"mousemove", QString::number(fire.x()),
                                                  QString::number(fire.y()), "click", "1"});
        QVERIFY(xdotool.waitForFinished(10000) && xdotool.exitCode() == 0);
        QTest::qWait(700);
    }
    QElapsedTimer sinceGone;
    sinceGone.start();
    QCOMPARE(::kill(pid_t(m_server->pid()), signal), 0);
    QVERIFY2(m_program->finished(5000), "the program did not end");
    QVERIFY2(sinceGone.elapsed() < 3000, qPrintable(QString::number(sinceGone.elapsed())));
    QCOMPARE(m_program->process().exitStatus(), QProcess::NormalExit);
    const QStringList left = QDir(temp.path()).entryList({"*.wav"}, QDir::Files);
    QVERIFY2(left.isEmpty(), qPrintable(left.join(", ")));
}

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
