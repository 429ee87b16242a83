// SPDX-License-Identifier: MIT
#include "dialog.h"
#include "fonts.h"
#include "launcher.h"
#include "timer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

// The two windows wired as the program wires them. A close of every window
// (a logout, a signal) must end the program in every state of a firing,
// also when it reaches the console while the console holds closes back.
class tst_Launcher : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void closeEverythingEnds_data();
    void closeEverythingEnds();
    void consoleAloneLeavesResultOpen();

private:
    void fire(const QString &delay);
    QStringList visibleWindows() const;
    int runProgram(int timeoutMs);

    QTemporaryDir m_temp;
    std::unique_ptr<Launcher> m_launcher;
};

void tst_Launcher::initTestCase()
{
    QVERIFY(m_temp.isValid());
    qputenv("TEMP", m_temp.path().toLocal8Bit());
    installFontSubstitutions();
}

void tst_Launcher::init()
{
    m_launcher = std::make_unique<Launcher>();
    m_launcher->show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_launcher->console()));
}

void tst_Launcher::cleanup()
{
    m_launcher.reset();
    QTRY_VERIFY(visibleWindows().isEmpty());
}

void tst_Launcher::fire(const QString &delay)
{
    m_launcher->console().DelayTextBox->setText(delay);
    QTest::mouseClick(m_launcher->console().FireButton, Qt::LeftButton);
}

QStringList tst_Launcher::visibleWindows() const
{
    QStringList names;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible())
            names << window->objectName();
    return names;
}

void tst_Launcher::closeEverythingEnds_data()
{
    QTest::addColumn<bool>("resultOpen");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<int>("closeAt");
    QTest::addColumn<bool>("consoleFirst");

    for (bool resultOpen : {false, true}) {
        const char *result = resultOpen ? "result window open" : "no result window";
        QTest::addRow("idle, %s", result) << resultOpen << "" << 0 << false;
        QTest::addRow("countdown, %s", result) << resultOpen << "3" << 2500 << false;
        // Only in the locked wait does the console hold a close back.
        for (bool consoleFirst : {false, true}) {
            const char *how = consoleFirst ? "console first" : "any order";
            QTest::addRow("locked wait, boom due in it, %s, %s", result, how)
                << resultOpen << "1" << 1500 << consoleFirst;
            QTest::addRow("locked wait, %s, %s", result, how)
                << resultOpen << "3" << 700 << consoleFirst;
        }
    }
}

// Runs the application's event loop, as the program does, until it quits or
// timeoutMs pass; returns the loop's status, or -1 on the timeout.
int tst_Launcher::runProgram(int timeoutMs)
{
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(-1); });
    watchdog.start(timeoutMs);
    return QApplication::exec();
}

// Ends means: the program's event loop returns with status 0, every window
// closed, within about the rest of the locked wait; no result window opens
// after the close.
void tst_Launcher::closeEverythingEnds()
{
    QFETCH(bool, resultOpen);
    QFETCH(QString, delay);
    QFETCH(int, closeAt);
    QFETCH(bool, consoleFirst);

    Form1 &console = m_launcher->console();
    if (resultOpen) {
        fire("1");
        QTRY_VERIFY_WITH_TIMEOUT(
            m_launcher->results().dialog() && m_launcher->results().dialog()->isVisible(), 3000);
    }
    QSignalSpy results(&console, &Form1::resultRequested);
    QElapsedTimer sinceClose;
    // A close of every window tries them in no fixed order and stops at the
    // first that holds back; "console first" is that order, made certain.
    auto closeEverything = [&] {
        sinceClose.start();
        if (consoleFirst && !console.windowHandle()->close())
            return;
        QApplication::closeAllWindows();
    };
    QTimer::singleShot(0, this, [&] {
        if (delay.isEmpty())
            return closeEverything();
        QTimer::singleShot(closeAt, this, closeEverything);
        fire(delay);
    });
    const int status = runProgram(6000);
    const qint64 endedAfter = sinceClose.elapsed();

    QCOMPARE(status, 0);
    QCOMPARE(visibleWindows(), QStringList());
    QVERIFY2(endedAfter < qMax(0, 2000 - closeAt) + 500, qPrintable(QString::number(endedAfter)));
    QCOMPARE(results.count(), 0);
}

// A close of the console alone, when it is idle, leaves an open result
// window open, and it keeps the program running.
void tst_Launcher::consoleAloneLeavesResultOpen()
{
    fire("1");
    QTRY_VERIFY_WITH_TIMEOUT(
        m_launcher->results().dialog() && m_launcher->results().dialog()->isVisible(), 3000);
    QTimer::singleShot(0, this, [this] { QVERIFY(m_launcher->console().close()); });
    QCOMPARE(runProgram(500), -1);
    QCOMPARE(visibleWindows(), QStringList{"Dialog"});
}

QTEST_MAIN(tst_Launcher)
#include "tst_launcher.moc"
