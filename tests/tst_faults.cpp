// SPDX-License-Identifier: MIT
#include "programrun.h"
#include "service.h"
#include "x11windows.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

// The real program on a real X server, met with what a hostile desktop
// does: signals in every state of a firing, signals while a message is up,
// and input that reaches it together with the click that dismisses a
// message. Runs per row come from LASER_FAULT_RUNS (1 unless set).
class tst_Faults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void signalEndsProgram_data();
    void signalEndsProgram();
    void signalWithMessageUp_data();
    void signalWithMessageUp();
    void signalWhileStarting_data();
    void signalWhileStarting();
    void ignoredSignalStaysIgnored_data();
    void ignoredSignalStaysIgnored();
    void inputWithOkWaitsForCheck_data();
    void inputWithOkWaitsForCheck();
    void tempNotTextIsRefused();
    void longTempBoxOnScreen();

private:
    xcb_window_t startProgram(const QString &temp, const QString &recording = {});
    void xdotool(const QStringList &arguments);
    void replaceText(xcb_window_t console, const QPoint &box, const QString &text);
    void fire(xcb_window_t console);
    void openResultWindow(xcb_window_t console);

    std::unique_ptr<X11Windows> m_x11;
    std::unique_ptr<ProgramRun> m_program;
};

namespace {

const QPoint DelayBox(16 + 12, 208 + 12);
const QPoint TargetBox(200 + 100, 160 + 12);
const QPoint FireButton(336 + 40, 208 + 12);

int runsPerRow()
{
    return qMax(1, qEnvironmentVariableIntValue("LASER_FAULT_RUNS"));
}

const char *signalName(int signal)
{
    return signal == SIGTERM ? "SIGTERM" : signal == SIGINT ? "SIGINT" : "SIGHUP";
}

bool recordedAnything(const QString &recording)
{
    return QFileInfo(recording).size() > 0;
}

} // namespace

void tst_Faults::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run)");
    m_x11 = std::make_unique<X11Windows>();
}

void tst_Faults::cleanup()
{
    m_program.reset();
}

xcb_window_t tst_Faults::startProgram(const QString &temp, const QString &recording)
{
    m_program = std::make_unique<ProgramRun>();
    m_program->start(temp, recording);
    const xcb_window_t console = m_x11->waitFor(ConsoleTitle, 15000);
    if (console)
        QTest::qWait(200);
    return console;
}

void tst_Faults::xdotool(const QStringList &arguments)
{
    runTool(QStringLiteral("xdotool"), arguments);
}

void tst_Faults::replaceText(xcb_window_t console, const QPoint &box, const QString &text)
{
    m_x11->click(console, box.x(), box.y());
    xdotool({"key", "ctrl+a"});
    xdotool(text.isEmpty() ? QStringList{"key", "BackSpace"} : QStringList{"type", text});
}

void tst_Faults::fire(xcb_window_t console)
{
    m_x11->click(console, FireButton.x(), FireButton.y());
}

// Fires with delay 1 and waits for the result window it opens.
void tst_Faults::openResultWindow(xcb_window_t console)
{
    replaceText(console, DelayBox, "1");
    fire(console);
    QVERIFY2(m_x11->waitFor(QStringLiteral("KABOOM!"), 6000), "no result window");
}

void tst_Faults::signalEndsProgram_data()
{
    QTest::addColumn<bool>("resultOpen");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<int>("signalAt");
    QTest::addColumn<int>("signal");

    const int rotation[] = {SIGTERM, SIGINT, SIGHUP};
    int next = 0;
    for (int run = 1; run <= runsPerRow(); ++run) {
        for (bool resultOpen : {false, true}) {
            const char *result = resultOpen ? "result window open" : "no result window";
            auto add = [&](const char *state, const char *delay, int signalAt) {
                const int signal = rotation[next++ % 3];
                QTest::addRow("%s, %s, %s, run %d", state, result, signalName(signal), run)
                    << resultOpen << delay << signalAt << signal;
            };
            add("idle", "", 0);
            add("locked wait, boom due in it", "1", 1300);
            add("locked wait", "20", 800);
            add("countdown", "20", 2500);
        }
    }
}

// Ends means exit status 0 and no scratch file left, once the rest of the
// locked wait has passed, long before a countdown of 20 seconds would have
// ended: a program that waited for it is what the bound catches, and a busy
// machine that takes seconds to end one is not.
void tst_Faults::signalEndsProgram()
{
    QFETCH(bool, resultOpen);
    QFETCH(QString, delay);
    QFETCH(int, signalAt);
    QFETCH(int, signal);

    QTemporaryDir temp;
    const xcb_window_t console = startProgram(temp.path());
    QVERIFY2(console, "the console did not appear");
    if (resultOpen)
        openResultWindow(console);
    if (QTest::currentTestFailed())
        return;
    if (!delay.isEmpty()) {
        replaceText(console, DelayBox, delay);
        fire(console);
        QTest::qWait(signalAt);
    }
    QElapsedTimer sinceSignal;
    sinceSignal.start();
    QCOMPARE(::kill(pid_t(m_program->pid()), signal), 0);
    m_program->verifyCleanEnd(temp.path());
    const qint64 endedAfter = sinceSignal.elapsed();
    const qint64 restOfWait = delay.isEmpty() ? 0 : qMax(0, 2000 - signalAt);
    QVERIFY2(endedAfter < restOfWait + 6000, qPrintable(QString::number(endedAfter)));
}

void tst_Faults::signalWithMessageUp_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QList<int>>("sent");
    QTest::addColumn<int>("status");

    QTest::newRow("check's message, SIGTERM") << "check" << QList<int>{SIGTERM} << 0;
    QTest::newRow("check's message, SIGHUP twice") << "check" << QList<int>{SIGHUP, SIGHUP} << 0;
    QTest::newRow("failure box at start, SIGINT") << "failure" << QList<int>{SIGINT} << 1;
    QTest::newRow("failure box at start, SIGTERM then SIGINT")
        << "failure" << QList<int>{SIGTERM, SIGINT} << 1;
    QTest::newRow("idle, SIGINT then SIGTERM") << "none" << QList<int>{SIGINT, SIGTERM} << 0;
}

// A signal closes a message box like any window: the check goes on to its
// replacement, or the failure ends the program as failures do; either way
// the program ends and leaves no scratch file. A second signal in a row
// changes nothing.
void tst_Faults::signalWithMessageUp()
{
    QFETCH(QString, message);
    QFETCH(QList<int>, sent);
    QFETCH(int, status);

    QTemporaryDir temp;
    if (message == "failure")
        QVERIFY(QDir(temp.path()).mkdir("boomaudiojungle.wav"));
    m_program = std::make_unique<ProgramRun>();
    m_program->start(temp.path());
    if (message == "failure") {
        QVERIFY2(m_x11->waitFor(QStringLiteral("KESTA"), 15000), "no failure box");
    } else {
        const xcb_window_t console = m_x11->waitFor(ConsoleTitle, 15000);
        QVERIFY2(console, "the console did not appear");
        if (message == "check") {
            replaceText(console, DelayBox, "99");
            QVERIFY2(m_x11->waitFor(QStringLiteral("KESTA"), 5000), "no message");
        }
    }
    QTest::qWait(200);
    for (int signal : sent)
        QCOMPARE(::kill(pid_t(m_program->pid()), signal), 0);
    QVERIFY2(m_program->finished(5000), "the program did not end");
    QCOMPARE(m_program->process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->process().exitCode(), status);
    const QStringList left = QDir(temp.path()).entryList({"*.wav"}, QDir::Files);
    QVERIFY2(left.isEmpty(), qPrintable(left.join(", ")));
}

void tst_Faults::signalWhileStarting_data()
{
    QTest::addColumn<int>("signal");

    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        QTest::newRow(signalName(signal)) << signal;
}

// The program is still starting, waiting for a display that does not
// answer: the signal handler is in place already, so a signal does not kill
// it by the default action, and it ends as it would have without the signal.
void tst_Faults::signalWhileStarting()
{
    QFETCH(int, signal);

    QTemporaryDir temp;
    m_program = std::make_unique<ProgramRun>();
    m_program->environment().insert("DISPLAY", ":97");
    m_program->environment().remove("WAYLAND_DISPLAY");
    m_program->start(temp.path());
    QVERIFY2(waitUntil([&] { return m_program->catches(signal) || m_program->finished(0); }, 10000),
             "the program does not catch the signal");
    QVERIFY2(!m_program->finished(0), "the program did not catch the signal while starting");
    QCOMPARE(::kill(pid_t(m_program->pid()), signal), 0);
    QVERIFY2(m_program->finished(10000), "the program did not end");
    QCOMPARE(m_program->process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->process().exitCode(), 2);
}

void tst_Faults::ignoredSignalStaysIgnored_data()
{
    QTest::addColumn<int>("ignored");
    QTest::addColumn<int>("ending");

    QTest::newRow("nohup: SIGHUP ignored") << SIGHUP << SIGTERM;
    QTest::newRow("background job: SIGINT ignored") << SIGINT << SIGHUP;
    QTest::newRow("SIGTERM ignored") << SIGTERM << SIGINT;
}

// A signal the program was started with ignored stays ignored, so that
// nohup keeps it running when the terminal closes; the others still end it.
void tst_Faults::ignoredSignalStaysIgnored()
{
    QFETCH(int, ignored);
    QFETCH(int, ending);

    QTemporaryDir temp;
    m_program = std::make_unique<ProgramRun>();
    m_program->ignoreAtStart({ignored});
    m_program->start(temp.path());
    const xcb_window_t console = m_x11->waitFor(ConsoleTitle, 15000);
    QVERIFY2(console, "the console did not appear");
    QVERIFY(m_program->ignores(ignored) && !m_program->catches(ignored));
    QVERIFY(m_program->catches(ending));
    QCOMPARE(::kill(pid_t(m_program->pid()), ignored), 0);
    QVERIFY2(!m_program->finished(500), "the ignored signal ended the program");
    QVERIFY(m_x11->find(ConsoleTitle));
    QCOMPARE(::kill(pid_t(m_program->pid()), ending), 0);
    m_program->verifyCleanEnd(temp.path());
}

void tst_Faults::inputWithOkWaitsForCheck_data()
{
    QTest::addColumn<QPoint>("box");
    QTest::addColumn<QString>("text");

    QTest::newRow("delay 99") << DelayBox << "99";
    QTest::newRow("delay a") << DelayBox << "a";
    QTest::newRow("target emptied") << TargetBox << "";
}

// As found: the program stalls (a busy machine) while a person dismisses
// the check's message and at once clicks FIRE!; both reach it in one batch
// when it runs again. Nothing may be launched with the offending text: no
// countdown heard, no result window.
void tst_Faults::inputWithOkWaitsForCheck()
{
    QFETCH(QPoint, box);
    QFETCH(QString, text);

    QTemporaryDir temp;
    const QString recording = temp.filePath("heard.raw");
    const xcb_window_t console = startProgram(temp.path(), recording);
    QVERIFY2(console, "the console did not appear");
    if (box == TargetBox)
        replaceText(console, DelayBox, "1");
    replaceText(console, box, text);
    QVERIFY2(m_x11->waitFor(QStringLiteral("KESTA"), 5000), "no message");
    QTest::qWait(200);

    QCOMPARE(::kill(pid_t(m_program->pid()), SIGSTOP), 0);
    xdotool({"key", "Return"});
    fire(console);
    QCOMPARE(::kill(pid_t(m_program->pid()), SIGCONT), 0);

    QVERIFY2(!m_x11->waitFor(QStringLiteral("KABOOM!"), 3500), "a result window opened");
    QVERIFY2(!recordedAnything(recording), "a countdown was heard");
    QVERIFY(!m_x11->find(QStringLiteral("KESTA")));
    m_x11->requestClose(console);
    m_program->verifyCleanEnd(temp.path());
}

// TEMP names a folder whose name is not UTF-8 ("d_" and the byte 0xFF),
// while the folder Qt would make of it ("d_" and U+FFFD) exists too. The
// program refuses the value with its failure box and writes nowhere.
void tst_Faults::tempNotTextIsRefused()
{
    QTemporaryDir temp;
    const QByteArray base = QFile::encodeName(temp.path());
    const QByteArray named = base + "/d_\xff";
    const QByteArray lossy = base + "/d_\xef\xbf\xbd";
    QCOMPARE(::mkdir(named.constData(), 0700), 0);
    QCOMPARE(::mkdir(lossy.constData(), 0700), 0);

    // The environment of a QProcess holds text, so a shell sets the byte.
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.insert("SDL_AUDIODRIVER", "dummy");
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start("/bin/sh", {"-c", "TEMP=\"$1/d_$(printf '\\377')\" exec \"$0\"",
                              ProgramRun::binary(), temp.path()});
    QVERIFY(program.waitForStarted());
    const xcb_window_t box = m_x11->waitFor(QStringLiteral("KESTA"), 15000);
    QVERIFY2(box, "no failure box");
    QVERIFY(!m_x11->find(ConsoleTitle));
    m_x11->requestClose(box);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    for (const QByteArray &folder : {named, lossy})
        QVERIFY2(QDir(QFile::decodeName(folder)).isEmpty() &&
                     ::access((folder + "/audiojunglecountdown.wav").constData(), F_OK) != 0,
                 folder.constData());
}

// With a TEMP of 4,090 characters the failure box, OK button and all, still
// fits on the screen.
void tst_Faults::longTempBoxOnScreen()
{
    QTemporaryDir temp;
    QString folder = temp.path();
    while (folder.size() < 4090)
        folder += QStringLiteral("/WWWWWWWWW");
    folder.truncate(4090);
    m_program = std::make_unique<ProgramRun>();
    m_program->start(folder);
    const xcb_window_t box = m_x11->waitFor(QStringLiteral("KESTA"), 15000);
    QVERIFY2(box, "no failure box");
    QTest::qWait(200);
    const QRect screen = m_x11->geometry(m_x11->root());
    const QRect frame = m_x11->geometry(box);
    QVERIFY2(screen.contains(frame), qPrintable(QStringLiteral("%1x%2 at %3,%4")
                                                    .arg(frame.width())
                                                    .arg(frame.height())
                                                    .arg(frame.x())
                                                    .arg(frame.y())));
    m_x11->requestClose(box);
    QVERIFY2(m_program->finished(10000), "the program did not end");
    QCOMPARE(m_program->process().exitCode(), 1);
}

QTEST_MAIN(tst_Faults)
#include "tst_faults.moc"
