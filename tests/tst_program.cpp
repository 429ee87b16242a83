// SPDX-License-Identifier: MIT
#include "docspicture.h"
#include "openbox.h"
#include "programrun.h"
#include "x11windows.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <vector>

// Starts the real program on a real X server and looks at it from outside,
// as a user would: its window, what it paints, its files and its exit.
class tst_Program : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void consoleScreenshot();
    void failedStartReportsAndCleansUp();
    void signalEndsLikeClosing_data();
    void signalEndsLikeClosing();
    void oneFiringFromEndToEnd();
    void firingWithoutSoundLibrary();
    void closeWhileFiring_data();
    void closeWhileFiring();
    void keyboardAlone_data();
    void keyboardAlone();

private:
    bool active(xcb_window_t window) const;
    void xdotool(const QStringList &arguments);
    void verifyHeard(const QString &recording);
    void typeDelay(xcb_window_t console, const QString &delay);
    xcb_window_t startAndFire(const QString &temp, const QString &recording, const QString &delay);
    QImage grab(xcb_window_t window) const;
    void save(const QImage &image, const QString &name) const;

    std::unique_ptr<X11Windows> m_x11;
    std::unique_ptr<ProgramRun> m_program;
};

void tst_Program::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run)");
    m_x11 = std::make_unique<X11Windows>();
}

void tst_Program::cleanup()
{
    m_program.reset();
}

QImage tst_Program::grab(xcb_window_t window) const
{
    return QGuiApplication::primaryScreen()->grabWindow(window).toImage().convertToFormat(
        QImage::Format_RGB32);
}

void tst_Program::save(const QImage &image, const QString &name) const
{
    QVERIFY(image.save(QStringLiteral(LASER_TEST_OUTPUT) + "/" + name));
}

namespace {

bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

void tst_Program::consoleScreenshot()
{
    QTemporaryDir temp;
    m_program = std::make_unique<ProgramRun>();
    m_program->start(temp.path());
    const xcb_window_t window = m_x11->waitFor(ConsoleTitle, 15000);
    QVERIFY2(window, "the console did not appear");
    QCOMPARE(QFileInfo(temp.filePath("audiojunglecountdown.wav")).size(), 360460);
    QCOMPARE(QFileInfo(temp.filePath("boomaudiojungle.wav")).size(), 114220);
    QCOMPARE(m_x11->geometry(window).size(), QSize(430, 244));

    QTest::qWait(500);
    const QImage shot = grab(window);
    QCOMPARE(shot.size(), QSize(430, 244));
    const QString drift = docsPictureDrift(shot, QStringLiteral("console.png"));
    QVERIFY2(drift.isEmpty(), qPrintable(drift));

    // Inside each heading, most pixels are the picture itself and some are
    // letters: the labels draw no background of their own.
    const QImage picture = QImage(QStringLiteral(LASER_SOURCE_DIR "/assets/background.bmp"))
                               .scaled(433, 249, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .convertToFormat(QImage::Format_RGB32);
    const QList<QRect> headings = {
        {24, 32, 241, 49}, {288, 8, 129, 33}, {200, 128, 209, 33}, {0, 192, 73, 16}};
    for (const QRect &rect : headings) {
        int same = 0;
        int letters = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                same += near(shot.pixel(x, y), picture.pixel(x, y), 6);
                letters += near(shot.pixel(x, y), qRgb(255, 255, 255), 30);
            }
        }
        const int area = rect.width() * rect.height();
        QVERIFY2(same > area / 2,
                 qPrintable(QString("%1 of %2 show the picture").arg(same).arg(area)));
        QVERIFY2(letters > 10, "no white letters drawn");
    }

    m_x11->requestClose(window);
    m_program->verifyCleanEnd(temp.path());
}

// The boom file's path is taken by a folder, so the start fails after the
// countdown file is written: the failure is shown, the program ends with a
// non-zero status and leaves no scratch file behind.
void tst_Program::failedStartReportsAndCleansUp()
{
    QTemporaryDir temp;
    QVERIFY(QDir(temp.path()).mkdir("boomaudiojungle.wav"));
    m_program = std::make_unique<ProgramRun>();
    m_program->start(temp.path());
    const xcb_window_t box = m_x11->waitFor(QStringLiteral("KESTA"), 15000);
    QVERIFY2(box, "no failure message appeared");
    QVERIFY(!m_x11->find(ConsoleTitle));
    QTest::qWait(300);
    save(grab(box), "failure.png");
    m_x11->requestClose(box);
    QVERIFY2(m_program->finished(10000), "the program did not end after the failure");
    QCOMPARE(m_program->process().exitStatus(), QProcess::NormalExit);
    QVERIFY(m_program->process().exitCode() != 0);
    QVERIFY(!QFileInfo::exists(temp.filePath("audiojunglecountdown.wav")));
}

void tst_Program::xdotool(const QStringList &arguments)
{
    runTool(QStringLiteral("xdotool"), arguments);
}

void tst_Program::typeDelay(xcb_window_t console, const QString &delay)
{
    m_x11->click(console, 16 + 12, 208 + 12);
    xdotool({"key", "ctrl+a"});
    xdotool({"type", delay});
}

// Starts the program, types the delay and clicks FIRE!; the console, or 0
// when it did not appear.
xcb_window_t tst_Program::startAndFire(const QString &temp, const QString &recording,
                                       const QString &delay)
{
    m_program->start(temp, recording);
    const xcb_window_t console = m_x11->waitFor(ConsoleTitle, 15000);
    if (console) {
        typeDelay(console, delay);
        QTest::qWait(200);
        m_x11->click(console, 336 + 40, 208 + 12);
    }
    return console;
}

// The recording starts when the device opens, at the press: the countdown
// plays from there, sample for sample, until the boom replaces it at about
// d + 1 = 3 seconds. Positions are read in samples, never from wall time.
void tst_Program::verifyHeard(const QString &recording)
{
    const std::vector<qint16> heard = readRecording(recording);
    const std::vector<qint16> countdown =
        deviceSamples(QStringLiteral(LASER_SOURCE_DIR "/assets/countdown.wav"));
    const std::vector<qint16> boom =
        deviceSamples(QStringLiteral(LASER_SOURCE_DIR "/assets/boom.wav"));
    QVERIFY(!countdown.empty() && !boom.empty());
    const auto rate = size_t(DeviceRate);

    const size_t countdownProbe = firstLoud(countdown);
    const qsizetype countdownAt =
        findRun(heard, countdown, countdownProbe, 1024, 0, countdownProbe + rate / 2);
    QVERIFY2(countdownAt >= 0, "the countdown is not at the start of the recording");
    QVERIFY2(countdownAt < qsizetype(rate * 30 / 1000),
             qPrintable(QString("countdown starts %1 samples in").arg(countdownAt)));

    const size_t boomProbe = firstLoud(boom);
    const qsizetype boomAt =
        findRun(heard, boom, boomProbe, 1024, countdownAt + rate * 2, countdownAt + rate * 4);
    QVERIFY2(boomAt >= 0, "no boom between 2 and 4 seconds after the countdown");
    const double boomSeconds = double(boomAt - countdownAt) / rate;
    // The disk driver paces itself by sleeping, so on a loaded machine its
    // stream falls behind the wall clock and the boom lands earlier in it.
    QVERIFY2(boomSeconds > 2.4 && boomSeconds < 3.6, qPrintable(QString::number(boomSeconds)));
    QVERIFY2(std::equal(heard.begin() + countdownAt, heard.begin() + boomAt, countdown.begin()),
             "the countdown did not play unbroken up to the boom");
}

void tst_Program::signalEndsLikeClosing_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

// Logging out or pressing Ctrl+C closes the windows; the program then ends
// the ordinary way, and its clean-up runs.
void tst_Program::signalEndsLikeClosing()
{
    QFETCH(int, signal);
    QTemporaryDir temp;
    m_program = std::make_unique<ProgramRun>();
    m_program->start(temp.path());
    QVERIFY(m_x11->waitFor(ConsoleTitle, 15000));
    QVERIFY(QFileInfo::exists(temp.filePath("audiojunglecountdown.wav")));
    QCOMPARE(::kill(pid_t(m_program->pid()), signal), 0);
    m_program->verifyCleanEnd(temp.path());
}

// Kick, power 7, delay 2, FIRE!: the countdown sound starts at the press, the
// boom replaces it a tick after the bar is full and the result window opens;
// closing both windows ends the program cleanly.
void tst_Program::oneFiringFromEndToEnd()
{
    QTemporaryDir temp;
    const QString recording = temp.filePath("heard.raw");
    m_program = std::make_unique<ProgramRun>();
    m_program->start(temp.path(), recording);
    const xcb_window_t console = m_x11->waitFor(ConsoleTitle, 15000);
    QVERIFY(console);
    QVERIFY(QFileInfo::exists(temp.filePath("audiojunglecountdown.wav")));
    QVERIFY(QFileInfo::exists(temp.filePath("boomaudiojungle.wav")));
    QTest::qWait(300);

    m_x11->click(console, 16 + 30, 120 + 16);
    m_x11->click(console, 288 + 10, 40 + 10);
    xdotool({"key", "--delay", "30", "Home", "Right", "Right", "Right", "Right", "Right", "Right"});
    typeDelay(console, "2");
    QTest::qWait(300);
    save(grab(console), "before-fire.png");

    QElapsedTimer sinceFire;
    m_x11->click(console, 336 + 40, 208 + 12);
    sinceFire.start();
    const xcb_window_t result = m_x11->waitFor(QStringLiteral("KABOOM!"), 8000);
    const qint64 resultAt = sinceFire.elapsed();
    QVERIFY2(result, "no result window");
    // The boom is due 3 s after the press; a busy machine only makes it later.
    QVERIFY2(resultAt > 2700 && resultAt < 4500, qPrintable(QString::number(resultAt)));
    QTest::qWait(500);
    save(grab(result), "kaboom.png");
    QVERIFY(QFileInfo::exists(temp.filePath("audiojungle.wav")));

    m_x11->requestClose(console);
    QTest::qWait(300);
    QCOMPARE(m_program->process().state(), QProcess::Running);
    m_x11->requestClose(result);
    m_program->verifyCleanEnd(temp.path());
    verifyHeard(recording);
}

// The program loads SDL only when a sound is near. A libSDL2 that cannot be
// loaded leaves it silent, and the firing runs its course as with sound.
void tst_Program::firingWithoutSoundLibrary()
{
    QTemporaryDir temp;
    QFile broken(temp.filePath("lib/libSDL2-2.0.so.0"));
    QVERIFY(QDir(temp.path()).mkdir("lib") && broken.open(QIODevice::WriteOnly));
    broken.close();
    const QString recording = temp.filePath("heard.raw");
    m_program = std::make_unique<ProgramRun>();
    m_program->environment().insert("LD_LIBRARY_PATH", temp.filePath("lib"));
    const xcb_window_t console = startAndFire(temp.path(), recording, "1");
    QElapsedTimer sinceFire;
    sinceFire.start();
    QVERIFY(console);
    const xcb_window_t result = m_x11->waitFor(QStringLiteral("KABOOM!"), 8000);
    QVERIFY2(result, "no result window");
    QVERIFY2(sinceFire.elapsed() > 1700 && sinceFire.elapsed() < 3500,
             qPrintable(QString::number(sinceFire.elapsed())));
    m_x11->requestClose(result);
    m_x11->requestClose(console);
    m_program->verifyCleanEnd(temp.path());
    QVERIFY2(!QFileInfo::exists(recording), "a sound device was opened");
}

void tst_Program::closeWhileFiring_data()
{
    QTest::addColumn<int>("closeAt");
    QTest::newRow("during the locked wait") << 1000;
    QTest::newRow("during the countdown") << 2500;
}

// A close request from the window manager while a countdown of 3 runs: in the
// wait it is carried out when the wait returns, after it at once. Either way
// the countdown ends with the window: no boom, no result window, and the
// program ends cleanly without leaving its files.
void tst_Program::closeWhileFiring()
{
    QFETCH(int, closeAt);
    QTemporaryDir temp;
    const QString recording = temp.filePath("heard.raw");
    m_program = std::make_unique<ProgramRun>();
    const xcb_window_t console = startAndFire(temp.path(), recording, "3");
    QElapsedTimer sinceFire;
    sinceFire.start();
    QVERIFY(console);
    QTest::qWait(closeAt);
    m_x11->requestClose(console);
    m_program->verifyCleanEnd(temp.path(), 6000);
    const qint64 endedAt = sinceFire.elapsed();
    QVERIFY2(endedAt >= qMax(closeAt, 1900) && endedAt < 5000,
             qPrintable(QString::number(endedAt)));

    const std::vector<qint16> heard = readRecording(recording);
    const std::vector<qint16> boom =
        deviceSamples(QStringLiteral(LASER_SOURCE_DIR "/assets/boom.wav"));
    const size_t probe = firstLoud(boom);
    QVERIFY2(heard.size() > size_t(DeviceRate), "the countdown was not heard");
    QCOMPARE(findRun(heard, boom, probe, 1024, 0, heard.size()), qsizetype(-1));
}

// The window the window manager has given the keyboard to.
bool tst_Program::active(xcb_window_t window) const
{
    return m_x11->values(m_x11->root(), "_NET_ACTIVE_WINDOW").value(0) == window;
}

void tst_Program::keyboardAlone_data()
{
    QTest::addColumn<QString>("key"); // presses the focused button and plays the fireball
    QTest::newRow("Return") << "Return";
    QTest::newRow("keypad Enter") << "KP_Enter";
    QTest::newRow("Space") << "space";
}

// Under a real window manager, without the mouse: Tab to the delay, type 1,
// Tab to FIRE! and press it; in the result window Tab from OK to the
// fireball and play the jungle call; Escape closes the window, the keyboard
// is back in the console on FIRE!, and pressing it fires again.
void tst_Program::keyboardAlone()
{
    QFETCH(QString, key);
    QTemporaryDir temp;
    Service openbox(QStringLiteral("openbox"));
    QVERIFY2(startOpenbox(openbox, temp.path(), *m_x11), qPrintable(openbox.log()));
    const QString recording = temp.filePath("heard.raw");
    m_program = std::make_unique<ProgramRun>();
    m_program->start(temp.path(), recording);
    const xcb_window_t console = m_x11->waitFor(ConsoleTitle, 15000);
    QVERIFY(console);
    QTRY_VERIFY_WITH_TIMEOUT(active(console), 5000);

    xdotool({"key", "--delay", "50", "Tab", "Tab", "ctrl+a", "1", "Tab", key});
    xcb_window_t result = m_x11->waitFor(QStringLiteral("KABOOM!"), 10000);
    QVERIFY2(result, "FIRE! did not fire");
    QTRY_VERIFY_WITH_TIMEOUT(active(result), 5000);
    xdotool({"key", "--delay", "50", "Tab", key});
    const std::vector<qint16> jungle =
        deviceSamples(QStringLiteral(LASER_SOURCE_DIR "/assets/jungle.wav"));
    QVERIFY(!jungle.empty());
    const size_t probe = firstLoud(jungle);
    QVERIFY2(waitUntil(
                 [&] {
                     const std::vector<qint16> heard = readRecording(recording);
                     return findRun(heard, jungle, probe, 1024, 0, heard.size()) >= 0;
                 },
                 10000),
             "the jungle call was not heard");

    xdotool({"key", "Escape"});
    QTRY_VERIFY_WITH_TIMEOUT(!m_x11->find(QStringLiteral("KABOOM!")), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(active(console), 5000);
    xdotool({"key", key});
    result = m_x11->waitFor(QStringLiteral("KABOOM!"), 10000);
    QVERIFY2(result, "FIRE! did not hold the focus after the result window closed");

    m_x11->requestClose(result);
    m_x11->requestClose(console);
    m_program->verifyCleanEnd(temp.path());
}

QTEST_MAIN(tst_Program)
#include "tst_program.moc"
