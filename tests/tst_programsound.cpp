// SPDX-License-Identifier: MIT
#include "programrun.h"
#include "pulseserver.h"
#include "sinkrecorder.h"
#include "x11windows.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

// The real program on a real X server, playing through a PulseAudio server of
// the test's own: one firing heard from the sink's monitor, the stream gone
// once the boom has ended, and the program unaffected by a stalled server.
class tst_ProgramSound : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void firingHeardThenServerIdles();
    void stalledBeforeFirstSound();
    void stalledDuringCountdown();

private:
    xcb_window_t startProgram(const QString &temp, const QString &delay);
    qint64 fire(xcb_window_t console);
    qint64 endAfter(const std::function<void()> &request);

    std::unique_ptr<X11Windows> m_x11;
    std::unique_ptr<PulseServer> m_server;
    SinkRecorder m_recorder;
    std::unique_ptr<ProgramRun> m_program;
};

namespace {

const QString ResultTitle = QStringLiteral("KABOOM!");
constexpr auto Rate = size_t(DeviceRate);
// The program gives a stalled sound server 400 ms at exit (tst_soundserver
// holds the engine to that). A sanitizer's leak scan on a busy machine can
// add seconds to any exit (4.2 s seen); a program that waited on the stopped
// server would not end at all (endAfter gives up at 15 s), so the bound sits
// between.
constexpr qint64 EndsDespiteServer = 10000;
constexpr int GivesUpAfter = 15000;
constexpr double BoomSeconds = 5.177;

} // namespace

void tst_ProgramSound::initTestCase()
{
    if (const QString missing = programSoundMissing(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    m_x11 = std::make_unique<X11Windows>();
    m_server = std::make_unique<PulseServer>();
    QVERIFY2(startRecordedServer(*m_server, m_recorder), qPrintable(m_server->log()));
}

void tst_ProgramSound::init()
{
    QVERIFY(m_server->isRunning() && m_recorder.isRunning());
}

void tst_ProgramSound::cleanup()
{
    m_program.reset();
    m_server->resume();
}

void tst_ProgramSound::cleanupTestCase()
{
    m_recorder.stop();
    if (m_server)
        m_server->stop();
}

xcb_window_t tst_ProgramSound::startProgram(const QString &temp, const QString &delay)
{
    m_program = std::make_unique<ProgramRun>();
    m_server->addClientVariables(m_program->environment());
    m_program->start(temp);
    const xcb_window_t console = m_x11->waitFor(ConsoleTitle, 15000);
    if (!console)
        return 0;
    m_x11->click(console, 16 + 12, 208 + 12);
    runTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+a")});
    runTool(QStringLiteral("xdotool"), {QStringLiteral("type"), delay});
    QTest::qWait(300);
    return console;
}

// Clicks FIRE! and returns the frames recorded by then.
qint64 tst_ProgramSound::fire(xcb_window_t console)
{
    const qint64 recorded = m_recorder.frames();
    m_x11->click(console, 336 + 40, 208 + 12);
    return recorded;
}

// How long the program takes to end once asked; -1 when it has not ended
// within GivesUpAfter.
qint64 tst_ProgramSound::endAfter(const std::function<void()> &request)
{
    QElapsedTimer clock;
    clock.start();
    request();
    return m_program->finished(GivesUpAfter) ? clock.elapsed() : -1;
}

// Delay 2, FIRE!: the countdown is heard from the press, the boom replaces it
// about three seconds later, and within three seconds of the boom's end the
// program's stream is gone. Stopping the server then does not keep the
// program from ending at once when its windows close.
void tst_ProgramSound::firingHeardThenServerIdles()
{
    QTemporaryDir temp;
    const xcb_window_t console = startProgram(temp.path(), QStringLiteral("2"));
    QVERIFY2(console, "the console did not appear");
    const qint64 firedAt = fire(console);
    const xcb_window_t result = m_x11->waitFor(ResultTitle, 8000);
    QVERIFY2(result, "no result window");
    // On PulseAudio the boom opens a stream of its own name, a moment after
    // the countdown's has gone.
    QVERIFY2(waitUntil([this] { return m_server->runningStreams() == 1; }, 3000),
             "no stream while the boom plays");
    QVERIFY2(waitUntil([this] { return m_server->runningStreams() == 0; }, 12000),
             "the stream kept running after the boom");
    const qint64 goneAt = m_recorder.frames();

    const std::vector<qint16> countdown =
        deviceSamples(QStringLiteral(LASER_SOURCE_DIR "/assets/countdown.wav"));
    const std::vector<qint16> boom =
        deviceSamples(QStringLiteral(LASER_SOURCE_DIR "/assets/boom.wav"));
    const std::vector<qint16> heard = m_recorder.heardOnce([&](const std::vector<qint16> &h) {
        return findEnd(h, boom, firedAt, qsizetype(h.size())) >= 0;
    });
    const auto second = qsizetype(Rate);
    const qsizetype countdownAt = findSound(heard, countdown, firedAt, firedAt + second);
    QVERIFY2(countdownAt >= 0, "the countdown was not heard within a second of FIRE!");
    const qsizetype boomAt =
        findSound(heard, boom, countdownAt + second * 2, countdownAt + second * 4);
    QVERIFY2(boomAt >= 0, "no boom between 2 and 4 seconds after the countdown");
    const double boomAfter = double(boomAt - countdownAt) / Rate;
    QVERIFY2(boomAfter > 2.8 && boomAfter < 3.2, qPrintable(QString::number(boomAfter)));
    // The countdown still plays a quarter of a second before the boom. A
    // starved machine may make the server insert silence into it, which only
    // moves its later part on towards the boom.
    const size_t before = size_t(boomAt - countdownAt) - Rate / 4;
    const qsizetype lateStart = findRun(heard, countdown, before, 256,
                                        before + countdownAt - Rate / 20, size_t(boomAt) - 256);
    QVERIFY2(lateStart >= 0, "the countdown did not play up to the boom");
    qInfo("the countdown's last quarter second came %.1f ms after its place",
          1000.0 * double(lateStart - countdownAt) / Rate);
    const double idleAfter = double(goneAt - boomAt) / Rate - BoomSeconds;
    qInfo("countdown heard %.1f ms after the click; stream gone %.2f s after the boom ended",
          1000.0 * double(countdownAt - firedAt) / Rate, idleAfter);
    QVERIFY2(idleAfter < 3, qPrintable(QString::number(idleAfter)));

    m_server->pause();
    m_x11->requestClose(result);
    const qint64 took = endAfter([&] { m_x11->requestClose(console); });
    qInfo("ended %lld ms after the last window closed, server stopped", took);
    QVERIFY2(took >= 0 && took < EndsDespiteServer, qPrintable(QString::number(took)));
    m_program->verifyCleanEnd(temp.path());
}

// The server stalls before the first sound: FIRE! still runs its course on
// time, and a SIGTERM still ends the program at once and cleanly.
void tst_ProgramSound::stalledBeforeFirstSound()
{
    QTemporaryDir temp;
    const xcb_window_t console = startProgram(temp.path(), QStringLiteral("1"));
    QVERIFY2(console, "the console did not appear");
    m_server->pause();
    QElapsedTimer sinceFire;
    fire(console);
    sinceFire.start();
    QVERIFY2(m_x11->waitFor(ResultTitle, 6000), "no result window");
    const qint64 resultAt = sinceFire.elapsed();
    QVERIFY2(resultAt > 1700 && resultAt < 2800, qPrintable(QString::number(resultAt)));

    const qint64 took = endAfter([&] { ::kill(pid_t(m_program->pid()), SIGTERM); });
    qInfo("result window %lld ms after FIRE!; ended %lld ms after SIGTERM, server stopped",
          resultAt, took);
    QVERIFY2(took >= 0 && took < EndsDespiteServer, qPrintable(QString::number(took)));
    m_program->verifyCleanEnd(temp.path());
}

// The server stalls while the countdown plays: the boom and the result window
// come on time, a click on its picture returns at once (its OK button still
// answers), and the program ends at once when its windows close.
void tst_ProgramSound::stalledDuringCountdown()
{
    QTemporaryDir temp;
    const xcb_window_t console = startProgram(temp.path(), QStringLiteral("2"));
    QVERIFY2(console, "the console did not appear");
    QElapsedTimer sinceFire;
    fire(console);
    sinceFire.start();
    QVERIFY2(waitUntil([this] { return m_server->runningStreams() == 1; }, 2000),
             "no stream while the countdown plays");
    m_server->pause();
    const xcb_window_t result = m_x11->waitFor(ResultTitle, 8000);
    QVERIFY2(result, "no result window");
    const qint64 resultAt = sinceFire.elapsed();
    QVERIFY2(resultAt > 2700 && resultAt < 3600, qPrintable(QString::number(resultAt)));

    m_x11->click(result, 300, 100);
    QElapsedTimer sinceOk;
    m_x11->click(result, 152 + 40, 176 + 12);
    sinceOk.start();
    QVERIFY2(waitUntil([this] { return !m_x11->find(ResultTitle); }, 3000),
             "the result window did not answer its OK button");
    QVERIFY2(sinceOk.elapsed() < 1000, qPrintable(QString::number(sinceOk.elapsed())));

    const qint64 took = endAfter([&] { m_x11->requestClose(console); });
    qInfo("result window %lld ms after FIRE!; ended %lld ms after the console closed, server "
          "stopped",
          resultAt, took);
    QVERIFY2(took >= 0 && took < EndsDespiteServer, qPrintable(QString::number(took)));
    m_program->verifyCleanEnd(temp.path());
}

QTEST_MAIN(tst_ProgramSound)
#include "tst_programsound.moc"
