// SPDX-License-Identifier: MIT
#include "programrun.h"

#include <SDL.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// Also when a test runs the program outside CTest (the installed package's
// check): the same absent bus as every test has (tests/CMakeLists.txt).
constexpr auto NoSessionBus = LASER_NO_SESSION_BUS;

// The processes of a group that are still alive (zombies are already over),
// each as its pid and command name.
QStringList livingInGroup(qint64 group)
{
    QStringList living;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : pids) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid pgrp ...; the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        const qsizetype nameEnd = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(nameEnd + 2).split(' ');
        if (nameEnd < 0 || fields.size() < 3 || fields[0] == "Z")
            continue;
        if (fields[2].toLongLong() == group)
            living << pid + QLatin1Char(' ') +
                          line.mid(line.indexOf('(') + 1, nameEnd - line.indexOf('(') - 1);
    }
    return living;
}

} // namespace

ProgramRun::ProgramRun()
    : m_environment(QProcessEnvironment::systemEnvironment())
{
    m_environment.remove("QT_QPA_PLATFORM");
    m_environment.insert("DBUS_SESSION_BUS_ADDRESS", NoSessionBus);
    sigemptyset(&m_ignored);
    // A group of its own, so that whatever the program starts can be found
    // and stopped with it; and it goes when the test does, however that ends.
    // The test itself may run with signals ignored (a background job).
    m_process.setChildProcessModifier([this] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        for (int signal : {SIGHUP, SIGINT, SIGTERM})
            std::signal(signal, sigismember(&m_ignored, signal) == 1 ? SIG_IGN : SIG_DFL);
    });
}

void ProgramRun::ignoreAtStart(std::initializer_list<int> ignored)
{
    for (int signal : ignored)
        sigaddset(&m_ignored, signal);
}

bool ProgramRun::signalSet(const char *field, int signal) const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith(field))
            return (line.mid(qsizetype(qstrlen(field))).trimmed().toULongLong(nullptr, 16) >>
                    (signal - 1)) &
                   1;
    }
    return false;
}

ProgramRun::~ProgramRun()
{
    kill();
}

QString ProgramRun::binary()
{
    const QString installed = qEnvironmentVariable("LASER_PROGRAM");
    return installed.isEmpty() ? QStringLiteral(LASER_BINARY) : installed;
}

void ProgramRun::start(const QString &temp, const QString &recording)
{
    QProcessEnvironment env = m_environment;
    env.insert("TEMP", temp);
    if (!env.contains("SDL_AUDIODRIVER") || !recording.isEmpty())
        env.insert("SDL_AUDIODRIVER", recording.isEmpty() ? "dummy" : "disk");
    if (!recording.isEmpty())
        env.insert("SDL_DISKAUDIOFILE", recording);
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(binary(), {});
    QVERIFY2(m_process.waitForStarted(), qPrintable(binary()));
    m_group = m_process.processId();
}

bool ProgramRun::finished(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

void ProgramRun::verifyCleanEnd(const QString &temp, int timeoutMs)
{
    verifyEnded(timeoutMs);
    if (QTest::currentTestFailed())
        return;
    const QStringList left = QDir(temp).entryList({"*.wav"}, QDir::Files);
    QVERIFY2(left.isEmpty(), qPrintable(left.join(", ")));
}

void ProgramRun::verifyEnded(int timeoutMs)
{
    QVERIFY2(finished(timeoutMs), "the program did not end");
    QCOMPARE(m_process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_process.exitCode(), 0);
    // Nor anything it started.
    QStringList living = livingInGroup(m_group);
    const QDeadlineTimer deadline(1000);
    while (!living.isEmpty() && !deadline.hasExpired()) {
        QTest::qWait(20);
        living = livingInGroup(m_group);
    }
    QVERIFY2(living.isEmpty(), qPrintable("still running: " + living.join(", ")));
}

void ProgramRun::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
    if (m_group > 0 && !livingInGroup(m_group).isEmpty())
        ::kill(-pid_t(m_group), SIGKILL);
}

void runTool(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    QVERIFY2(tool.waitForFinished(10000), qPrintable(program));
    QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0,
             qPrintable(program + ": " + QString::fromLocal8Bit(tool.readAllStandardError())));
}

std::vector<qint16> widen(const QByteArray &levels)
{
    std::vector<qint16> samples(size_t(levels.size()));
    std::ranges::transform(levels, samples.begin(),
                           [](char level) { return qint16((quint8(level) - 128) * 256); });
    return samples;
}

std::vector<qint16> deviceSamples(const QString &wavFile)
{
    SDL_AudioSpec spec = {};
    Uint8 *samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(QFile::encodeName(wavFile).constData(), &spec, &samples, &length))
        return {};
    const QByteArray levels(reinterpret_cast<const char *>(samples), qsizetype(length));
    SDL_FreeWAV(samples);
    return spec.format == AUDIO_U8 ? widen(levels) : std::vector<qint16>();
}

std::vector<qint16> readRecording(const QString &recording)
{
    QFile file(recording);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return widen(file.readAll());
}

qsizetype findRun(const std::vector<qint16> &recording, const std::vector<qint16> &sound,
                  size_t from, size_t length, size_t first, size_t last)
{
    if (from + length > sound.size())
        return -1;
    for (size_t at = first; at <= last && at + length <= recording.size(); ++at) {
        const qint16 *run = sound.data() + from;
        if (std::equal(run, run + length, recording.data() + at))
            return qsizetype(at - from);
    }
    return -1;
}

size_t firstLoud(const std::vector<qint16> &sound)
{
    size_t i = 0;
    while (i < sound.size() && qAbs(sound[i]) < 2000)
        ++i;
    return i;
}

namespace {

// The length of a piece of a sound looked for in a recording: 11.6 ms.
constexpr size_t Piece = 256;

// A busy machine can starve the small stream for a few milliseconds, and the
// server then plays silence and carries on: that breaks a piece of the sound
// and moves the later ones on, never earlier. So short pieces, `step` apart
// from `from` up to `to`, are looked for, and the earliest start they give
// between first and last wins.
qsizetype earliestStart(const std::vector<qint16> &heard, const std::vector<qint16> &sound,
                        size_t from, size_t to, size_t step, qsizetype first, qsizetype last)
{
    qsizetype start = -1;
    for (size_t at = from; at < to; at += step) {
        const qsizetype found = findRun(
            heard, sound, at, Piece, size_t(std::max<qsizetype>(first, 0)) + at, size_t(last) + at);
        if (found >= 0 && (start < 0 || found < start))
            start = found;
    }
    return start;
}

} // namespace

qsizetype findSound(const std::vector<qint16> &heard, const std::vector<qint16> &sound,
                    qsizetype first, qsizetype last)
{
    const size_t loud = firstLoud(sound);
    return earliestStart(heard, sound, loud, loud + 2 * size_t(DeviceRate), DeviceRate / 10, first,
                         last);
}

qsizetype findEnd(const std::vector<qint16> &heard, const std::vector<qint16> &sound,
                  qsizetype first, qsizetype last)
{
    const size_t end = sound.size() - std::min<size_t>(sound.size(), DeviceRate / 4);
    return earliestStart(heard, sound, end - std::min(end, 4 * Piece), end + 4 * Piece, Piece,
                         first, last);
}
