// SPDX-License-Identifier: MIT
#include "programrun.h"
#include "pulseserver.h"
#include "scratchfiles.h"
#include "service.h"
#include "sinkrecorder.h"
#include "x11windows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

// The real program in a scratch folder it shares: with other running copies
// of itself, which must keep their sounds until the last of them ends, and
// with files that are not its own, which it must neither write nor delete.
// The copies play through a PulseAudio server of the test's own.
class tst_SharedFolder : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void copiesKeepTheirSounds_data();
    void copiesKeepTheirSounds();
    void foreignFileLeftAlone_data();
    void foreignFileLeftAlone();

private:
    std::unique_ptr<ProgramRun> startCopy(const QString &temp, xcb_window_t *console);
    void fireHeardWhole(xcb_window_t console);
    void xdotool(const QStringList &arguments);

    std::unique_ptr<X11Windows> m_x11;
    std::unique_ptr<PulseServer> m_server;
    SinkRecorder m_recorder;
};

namespace {

constexpr auto Rate = qsizetype(DeviceRate);

QStringList scratchNames()
{
    return {scratch::fileName(Sound::Countdown).mid(1), scratch::fileName(Sound::Boom).mid(1),
            scratch::fileName(Sound::Jungle).mid(1)};
}

QStringList leftIn(const QString &temp)
{
    return QDir(temp).entryList({QStringLiteral("*.wav")}, QDir::Files);
}

struct stat statOf(const QString &path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        info.st_nlink = 0;
    return info;
}

} // namespace

void tst_SharedFolder::initTestCase()
{
    if (const QString missing = programSoundMissing(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    m_x11 = std::make_unique<X11Windows>();
    m_server = std::make_unique<PulseServer>();
    QVERIFY2(startRecordedServer(*m_server, m_recorder), qPrintable(m_server->log()));
}

void tst_SharedFolder::cleanupTestCase()
{
    m_recorder.stop();
    if (m_server)
        m_server->stop();
}

std::unique_ptr<ProgramRun> tst_SharedFolder::startCopy(const QString &temp, xcb_window_t *console)
{
    auto copy = std::make_unique<ProgramRun>();
    m_server->addClientVariables(copy->environment());
    copy->start(temp);
    *console = m_x11->waitFor(ConsoleTitle, 15000, copy->pid());
    return copy;
}

void tst_SharedFolder::xdotool(const QStringList &arguments)
{
    runTool(QStringLiteral("xdotool"), arguments);
}

// Delay 1, FIRE!: the countdown is heard from the click, the boom after it,
// and the boom to its end; a copy whose files were deleted would play short
// alert beeps instead.
void tst_SharedFolder::fireHeardWhole(xcb_window_t console)
{
    xdotool({QStringLiteral("windowraise"), QString::number(console)});
    m_x11->click(console, 16 + 12, 208 + 12);
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")});
    xdotool({QStringLiteral("type"), QStringLiteral("1")});
    QTest::qWait(300);
    const qint64 firedAt = m_recorder.frames();
    m_x11->click(console, 336 + 40, 208 + 12);
    QVERIFY2(waitUntil([this] { return m_server->runningStreams() == 1; }, 3000), "nothing played");
    QVERIFY2(waitUntil([this] { return m_server->runningStreams() == 0; }, 15000),
             "the stream kept running");

    const std::vector<qint16> countdown =
        deviceSamples(QStringLiteral(LASER_SOURCE_DIR "/assets/countdown.wav"));
    const std::vector<qint16> boom =
        deviceSamples(QStringLiteral(LASER_SOURCE_DIR "/assets/boom.wav"));
    const std::vector<qint16> heard = m_recorder.heardOnce([&](const std::vector<qint16> &h) {
        return findEnd(h, boom, firedAt, qsizetype(h.size())) >= 0;
    });
    const qsizetype countdownAt = findSound(heard, countdown, firedAt, firedAt + Rate);
    QVERIFY2(countdownAt >= 0, "the countdown was not heard");
    const qsizetype boomAt = findSound(heard, boom, countdownAt + Rate, countdownAt + 4 * Rate);
    QVERIFY2(boomAt >= 0, "the boom was not heard");
    QVERIFY2(findEnd(heard, boom, boomAt - Rate / 20, qsizetype(heard.size())) >= 0,
             "the boom was not heard to its end");
}

void tst_SharedFolder::copiesKeepTheirSounds_data()
{
    QTest::addColumn<QString>("firstEnds");

    QTest::newRow("first closed") << "closed";
    QTest::newRow("first killed") << "killed";
    QTest::newRow("first closed as a third starts") << "third";
    QTest::newRow("both end at the same moment") << "together";
}

// Two copies with the same TEMP: the first ends (closed, or killed), and the
// other's firing is still heard whole; no file is left once all have ended.
void tst_SharedFolder::copiesKeepTheirSounds()
{
    QFETCH(QString, firstEnds);

    QTemporaryDir temp;
    xcb_window_t firstConsole = 0;
    xcb_window_t lastConsole = 0;
    std::unique_ptr<ProgramRun> first = startCopy(temp.path(), &firstConsole);
    QVERIFY2(firstConsole, "the first console did not appear");
    std::vector<std::unique_ptr<ProgramRun>> others;
    others.push_back(startCopy(temp.path(), &lastConsole));
    QVERIFY2(lastConsole, "the second console did not appear");

    if (firstEnds == "together") {
        QCOMPARE(::kill(pid_t(first->pid()), SIGTERM) + ::kill(pid_t(others[0]->pid()), SIGTERM),
                 0);
    } else if (firstEnds == "killed") {
        first->kill();
    } else {
        m_x11->requestClose(firstConsole);
        if (firstEnds == "third") {
            others.push_back(startCopy(temp.path(), &lastConsole));
            QVERIFY2(lastConsole, "the third console did not appear");
        }
    }
    if (firstEnds != "killed")
        first->verifyEnded();
    if (firstEnds != "together") {
        QCOMPARE(leftIn(temp.path()), QStringList(scratchNames().mid(0, 2)));
        fireHeardWhole(lastConsole);
        for (const auto &copy : others)
            QCOMPARE(::kill(pid_t(copy->pid()), SIGTERM), 0);
    }
    for (const auto &copy : others)
        copy->verifyEnded();
    QVERIFY2(leftIn(temp.path()).isEmpty(), qPrintable(leftIn(temp.path()).join(u' ')));
}

void tst_SharedFolder::foreignFileLeftAlone_data()
{
    QTest::addColumn<QString>("planted");
    QTest::addColumn<int>("name");
    QTest::addColumn<QString>("end");

    QTest::newRow("hard link at the countdown") << "hardlink" << 0 << "box";
    QTest::newRow("hard link at the boom") << "hardlink" << 1 << "box";
    QTest::newRow("hard link at the jungle, console closed") << "hardlink" << 2 << "close";
    QTest::newRow("hard link at the jungle, SIGHUP") << "hardlink" << 2 << "SIGHUP";
    QTest::newRow("read-only file at the countdown") << "readonly" << 0 << "box";
    QTest::newRow("another user's file at the boom") << "otheruser" << 1 << "box";
    QTest::newRow("another user's jungle, console closed") << "otheruser" << 2 << "close";
}

// A file that is not the program's own stands at a scratch name: a second
// name of another file, a read-only file, another user's file. It is neither
// written nor deleted however the program ends, for root too; the program's
// own files are deleted all the same.
void tst_SharedFolder::foreignFileLeftAlone()
{
    QFETCH(QString, planted);
    QFETCH(int, name);
    QFETCH(QString, end);

    if (planted == "otheruser" && ::geteuid() != 0)
        QSKIP("only root can give a file to another user");
    QTemporaryDir temp;
    const QString victim = temp.filePath(QStringLiteral("victim"));
    const QString at = temp.filePath(scratchNames().at(name));
    const QByteArray bytes(220, 'v');
    QFile file(planted == "hardlink" ? victim : at);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    if (planted == "hardlink")
        QCOMPARE(::link(QFile::encodeName(victim).constData(), QFile::encodeName(at).constData()),
                 0);
    if (planted == "readonly")
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    if (planted == "otheruser")
        QCOMPARE(::chown(QFile::encodeName(at).constData(), 65534, 65534), 0);
    const struct stat before = statOf(at);

    ProgramRun program;
    program.start(temp.path());
    const xcb_window_t window =
        m_x11->waitFor(end == "box" ? QStringLiteral("KESTA") : ConsoleTitle, 15000, program.pid());
    QVERIFY2(window, end == "box" ? "no failure box" : "the console did not appear");
    if (end == "SIGHUP")
        QCOMPARE(::kill(pid_t(program.pid()), SIGHUP), 0);
    else
        m_x11->requestClose(window);
    QVERIFY2(program.finished(10000), "the program did not end");
    QCOMPARE(program.process().exitCode(), end == "box" ? 1 : 0);

    const struct stat after = statOf(at);
    QCOMPARE(after.st_nlink, before.st_nlink);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_uid, before.st_uid);
    QFile kept(at);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), bytes);
    QStringList ownLeft = leftIn(temp.path());
    ownLeft.removeOne(scratchNames().at(name));
    QVERIFY2(ownLeft.isEmpty(), qPrintable(ownLeft.join(u' ')));
}

QTEST_MAIN(tst_SharedFolder)
#include "tst_sharedfolder.moc"
