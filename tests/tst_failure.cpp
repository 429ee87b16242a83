// SPDX-License-Identifier: MIT
#include "ending.h"
#include "failure.h"
#include "scratchfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class tst_Failure : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fileFailureText_data();
    void fileFailureText();
    void guardPassesSuccess();
    void guardReportsAndStops_data();
    void guardReportsAndStops();
    void unreportedFailureEndsTheProgram();

private:
    QList<Failure> m_reported;
};

void tst_Failure::init()
{
    setFailureReport([this](const Failure &failure) { m_reported << failure; });
}

void tst_Failure::cleanup()
{
    setFailureReport({});
    m_reported.clear();
}

void tst_Failure::fileFailureText_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("found");

    QTest::newRow("missing folder")
        << ENOENT << u"/nowhere//audiojunglecountdown.wav"_s << QString();
    QTest::newRow("permission") << EACCES << u"/tmp/boomaudiojungle.wav"_s << QString();
    QTest::newRow("disk full") << ENOSPC << u"relative/audiojungle.wav"_s << QString();
    QTest::newRow("what was found, said in place of the system's text")
        << ELOOP << u"/tmp/audiojungle.wav"_s << u"A symbolic link is in the way"_s;
}

void tst_Failure::fileFailureText()
{
    QFETCH(int, number);
    QFETCH(QString, path);
    QFETCH(QString, found);

    const FailureError error = fileFailure(number, path, found);
    QCOMPARE(error.failure().number, number);
    const QString reason = found.isEmpty() ? QString::fromLocal8Bit(std::strerror(number)) : found;
    QCOMPARE(error.failure().description, reason + u": "_s + path);
    QCOMPARE(failureText(error.failure()), u"Error %1: %2: %3"_s.arg(number).arg(reason, path));
    QCOMPARE(QString::fromUtf8(error.what()), error.failure().description);
}

void tst_Failure::guardPassesSuccess()
{
    int runs = 0;
    QVERIFY(guard([&runs] { ++runs; }));
    QCOMPARE(runs, 1);
    QVERIFY(m_reported.isEmpty());
}

void tst_Failure::guardReportsAndStops_data()
{
    QTest::addColumn<std::function<void()>>("thrower");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");

    QTest::newRow("file failure") << std::function<void()>([] {
        throw fileFailure(EROFS, u"/ro/x"_s);
    }) << EROFS << QString::fromLocal8Bit(std::strerror(EROFS)) + u": /ro/x"_s;
    QTest::newRow("out of memory") << std::function<void()>([] { throw std::bad_alloc(); })
                                   << ENOMEM << QString::fromLocal8Bit(std::strerror(ENOMEM));
    QTest::newRow("other standard exception")
        << std::function<void()>([] { throw std::runtime_error("odd state"); }) << 0
        << u"odd state"_s;
    QTest::newRow("not an exception class")
        << std::function<void()>([] { throw 42; }) << 0 << u"Unknown failure"_s;
}

void tst_Failure::guardReportsAndStops()
{
    QFETCH(std::function<void()>, thrower);
    QFETCH(int, number);
    QFETCH(QString, description);

    bool reachedEnd = false;
    QVERIFY(!guard([&] {
        thrower();
        reachedEnd = true;
    }));
    QVERIFY(!reachedEnd);
    QCOMPARE(m_reported.size(), 1);
    QCOMPARE(m_reported.first().number, number);
    QCOMPARE(m_reported.first().description, description);
}

// Without an installed report a failure still ends the program and leaves no
// scratch file; it runs in a child, which it ends.
void tst_Failure::unreportedFailureEndsTheProgram()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString countdown = temp.path() + u"/audiojunglecountdown.wav"_s;
    QFile file(countdown);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QByteArray savedTemp = qgetenv("TEMP");
    qputenv("TEMP", temp.path().toLocal8Bit());

    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        setFailureReport({});
        ending::setCleanUp(scratch::deleteAll);
        guard([] { throw fileFailure(EACCES, u"/x"_s); });
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    qputenv("TEMP", savedTemp);
    QVERIFY(WIFEXITED(status));
    QVERIFY(WEXITSTATUS(status) != 0);
    QVERIFY(!QFileInfo::exists(countdown));
}

QTEST_GUILESS_MAIN(tst_Failure)
#include "tst_failure.moc"
