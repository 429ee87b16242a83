// SPDX-License-Identifier: MIT
#include "dialog.h"
#include "dialoghost.h"
#include "failure.h"
#include "fonts.h"
#include "resultconsole.h"
#include "x11windows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

// On a real X server: what the screen shows of the result window, and that
// the program ends with its last window, whichever window that is.
class tst_DialogX11 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void screenshot();
    void programEndsWithTheLastWindow_data();
    void programEndsWithTheLastWindow();

private:
    QTemporaryDir m_temp;
};

namespace {

int countPixels(const QImage &image, const QRect &area, bool (*matches)(QColor))
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += matches(image.pixelColor(x, y));
    }
    return count;
}

bool isRed(QColor c)
{
    return c.red() > 200 && c.green() < 40 && c.blue() < 40;
}
bool isWhite(QColor c)
{
    return c.red() > 220 && c.green() > 220 && c.blue() > 220;
}
bool isBlack(QColor c)
{
    return c.red() < 16 && c.green() < 16 && c.blue() < 16;
}
bool isFire(QColor c)
{
    return c.red() > 180 && c.green() > 60 && c.blue() < 120;
}

} // namespace

void tst_DialogX11::initTestCase()
{
    QVERIFY(m_temp.isValid());
    qputenv("TEMP", m_temp.path().toLocal8Bit());
    installFontSubstitutions();
    setFailureReport([](const Failure &failure) { QFAIL(qPrintable(failure.description)); });
}

void tst_DialogX11::screenshot()
{
    Form1 console;
    setConsole(console, QStringLiteral("zib42zab"), QStringLiteral("BAN"), 5);
    DialogHost host(console);
    host.Show();
    Dialog *dialog = host.dialog();
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(X11Windows().geometry(dialog->winId()), QRect(184, 250, 402, 213));

    QImage shot;
    const auto boomShown = [&] {
        shot = dialog->screen()->grabWindow(dialog->winId()).toImage();
        return countPixels(shot, dialog->BOOMLabel->geometry(), isRed) > 0;
    };
    QTRY_VERIFY_WITH_TIMEOUT(boomShown(), 5000);
    const QString file = QDir::current().absoluteFilePath(QStringLiteral("dialog.png"));
    QVERIFY(shot.save(file));
    QFile::remove(QStringLiteral("/tmp/dialog.png"));
    QVERIFY(QFile::copy(file, QStringLiteral("/tmp/dialog.png")));

    QCOMPARE(shot.size(), QSize(402, 213));
    QVERIFY(countPixels(shot, {8, 8, 100, 30}, isRed) > 100);   // BOOM!
    QVERIFY(countPixels(shot, {8, 40, 100, 15}, isWhite) > 30); // the target
    QVERIFY(countPixels(shot, {8, 145, 200, 20}, isWhite) > 50);
    QVERIFY(countPixels(shot, {8, 120, 150, 15}, isRed) > 30);
    QVERIFY(countPixels(shot, {240, 0, 162, 150}, isFire) > 2000);
    // Inside the labels but clear of their letters, and below them, the window is black.
    for (const QPoint &at : {QPoint(170, 12), QPoint(180, 50), QPoint(200, 132), QPoint(100, 172)})
        QVERIFY(isBlack(shot.pixelColor(at)));
    QCOMPARE(countPixels(shot, {0, 202, 208, 11}, isBlack), 208 * 11);
}

void tst_DialogX11::programEndsWithTheLastWindow_data()
{
    QTest::addColumn<bool>("consoleFirst");
    QTest::newRow("console closed first") << true;
    QTest::newRow("result window closed first") << false;
}

void tst_DialogX11::programEndsWithTheLastWindow()
{
    QFETCH(bool, consoleFirst);
    Form1 console;
    DialogHost host(console);
    console.show();
    host.Show();
    QPointer<Dialog> dialog = host.dialog();
    QVERIFY(QTest::qWaitForWindowExposed(&console));
    QVERIFY(QTest::qWaitForWindowExposed(dialog));

    // Closed as the close box does it: the X server delivers WM_DELETE_WINDOW.
    const X11Windows x11;
    const xcb_window_t first = consoleFirst ? console.winId() : dialog->winId();
    QWidget *second = consoleFirst ? static_cast<QWidget *>(dialog) : &console;
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    bool aliveAfterFirst = false;

    QTimer::singleShot(50, qApp, [&] { x11.requestClose(first); });
    QTimer::singleShot(500, second, [&] {
        aliveAfterFirst = lastClosed.isEmpty() && second->isVisible();
        x11.requestClose(second->winId());
    });
    QTimer watchdog;
    watchdog.callOnTimeout(qApp, [] { QCoreApplication::exit(1); });
    watchdog.start(10000);

    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(aliveAfterFirst);
    QCOMPARE(lastClosed.size(), 1);
    QTRY_VERIFY(!dialog);
}

QTEST_MAIN(tst_DialogX11)
#include "tst_dialogx11.moc"
