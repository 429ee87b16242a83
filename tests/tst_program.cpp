#include "x11windows.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

// Starts the real program on a real X server and looks at it from outside,
// as a user would: its window, what it paints, its files and its exit.
class tst_Program : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void consoleScreenshot();
    void failedStartReportsAndCleansUp();

private:
    void start(const QString &temp);
    bool finished(int timeoutMs);
    QImage grab(xcb_window_t window) const;
    void save(const QImage &image, const QString &name) const;

    X11Windows *m_x11 = nullptr;
    QProcess m_program;
};

const QString ConsoleTitle = QStringLiteral("Vantory Orbital Laser - qelmor edition:tm:");

void tst_Program::initTestCase() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run)");
    m_x11 = new X11Windows;
}

void tst_Program::cleanup() {
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished();
    }
}

void tst_Program::start(const QString &temp) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TEMP", temp);
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.remove("QT_QPA_PLATFORM");
    m_program.setProcessEnvironment(env);
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start(QStringLiteral(LASER_BINARY), {});
    QVERIFY(m_program.waitForStarted());
}

bool tst_Program::finished(int timeoutMs) {
    return m_program.state() == QProcess::NotRunning || m_program.waitForFinished(timeoutMs);
}

QImage tst_Program::grab(xcb_window_t window) const {
    return QGuiApplication::primaryScreen()->grabWindow(window).toImage().convertToFormat(
        QImage::Format_RGB32);
}

void tst_Program::save(const QImage &image, const QString &name) const {
    QVERIFY(image.save(QStringLiteral(LASER_TEST_OUTPUT) + "/" + name));
}

namespace {

bool near(QRgb a, QRgb b, int tolerance) {
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

void tst_Program::consoleScreenshot() {
    QTemporaryDir temp;
    start(temp.path());
    const xcb_window_t window = m_x11->waitFor(ConsoleTitle, 15000);
    QVERIFY2(window, "the console did not appear");
    QCOMPARE(QFileInfo(temp.filePath("audiojunglecountdown.wav")).size(), 360460);
    QCOMPARE(QFileInfo(temp.filePath("boomaudiojungle.wav")).size(), 114220);
    QCOMPARE(m_x11->geometry(window).size(), QSize(430, 244));

    QTest::qWait(500);
    const QImage shot = grab(window);
    QCOMPARE(shot.size(), QSize(430, 244));
    save(shot, "console.png");

    // Inside each heading, most pixels are the picture itself and some are
    // letters: the labels draw no background of their own.
    const QImage picture = QImage(QStringLiteral(LASER_SOURCE_DIR "/assets/background.bmp"))
                               .scaled(433, 249, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .convertToFormat(QImage::Format_RGB32);
    const QList<QRect> headings = {
        {24, 32, 241, 49}, {288, 8, 129, 33}, {200, 128, 209, 33}, {0, 192, 16, 16}};
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
    QVERIFY2(finished(10000), "the program did not end after its window closed");
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
    QVERIFY(QDir(temp.path()).entryList(QDir::Files).isEmpty());
}

// The boom file's path is taken by a folder, so the start fails after the
// countdown file is written: the failure is shown, the program ends with a
// non-zero status and leaves no scratch file behind.
void tst_Program::failedStartReportsAndCleansUp() {
    QTemporaryDir temp;
    QVERIFY(QDir(temp.path()).mkdir("boomaudiojungle.wav"));
    start(temp.path());
    const xcb_window_t box = m_x11->waitFor(QStringLiteral("KESTA"), 15000);
    QVERIFY2(box, "no failure message appeared");
    QVERIFY(!m_x11->find(ConsoleTitle));
    QTest::qWait(300);
    save(grab(box), "failure.png");
    m_x11->requestClose(box);
    QVERIFY2(finished(10000), "the program did not end after the failure");
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QVERIFY(m_program.exitCode() != 0);
    QVERIFY(!QFileInfo::exists(temp.filePath("audiojunglecountdown.wav")));
}

QTEST_MAIN(tst_Program)
#include "tst_program.moc"
