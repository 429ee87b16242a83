// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QString>

#include <csignal>
#include <initializer_list>
#include <vector>

// The real program, started as a user would start it, with its scratch folder
// and (optionally) a recording of what it would have played, then watched
// from outside: whether it ends, how, and what it leaves behind.
class ProgramRun {
public:
    ProgramRun();
    ~ProgramRun();

    // The binary under test: LASER_PROGRAM from the environment when set (an
    // installed copy), otherwise the one this build made.
    static QString binary();

    QProcessEnvironment &environment() { return m_environment; }
    // SIGHUP, SIGINT and SIGTERM reach the program at their default, as from a
    // desktop's launcher, unless named here: then ignored, as nohup or a
    // shell's background job leaves them. Before start().
    void ignoreAtStart(std::initializer_list<int> ignored);

    // With a recording path, SDL's disk driver writes there what would be
    // heard; otherwise the dummy driver plays into nothing.
    void start(const QString &temp, const QString &recording = {});
    bool finished(int timeoutMs);
    // Exit status 0 within the time given, no sound file left in temp, and
    // no process the program started still running.
    void verifyCleanEnd(const QString &temp, int timeoutMs = 10000);
    // The same, but leaves temp alone: another copy may still use it.
    void verifyEnded(int timeoutMs = 10000);
    void kill();

    // Whether the running program has a handler for the signal, or ignores it.
    bool catches(int signal) const { return signalSet("SigCgt:", signal); }
    bool ignores(int signal) const { return signalSet("SigIgn:", signal); }

    QProcess &process() { return m_process; }
    qint64 pid() const { return m_process.processId(); }

private:
    bool signalSet(const char *field, int signal) const;

    QProcessEnvironment m_environment;
    sigset_t m_ignored = {};
    QProcess m_process;
    // The program's process group: its pid once started.
    qint64 m_group = 0;
};

// The console's caption, by which tests find the program's main window.
inline const QString ConsoleTitle = QStringLiteral("Vantory Orbital Laser - qelmor edition:tm:");

// Runs a command to its end and checks that it succeeded.
void runTool(const QString &program, const QStringList &arguments);

// Every stream the program plays is 8-bit mono at this rate, as its sounds
// are, so a recording holds their samples unchanged.
inline constexpr int DeviceRate = 22050;

// 8-bit samples as signed 16-bit ones: (level - 128) * 256, as PulseAudio
// widens them.
std::vector<qint16> widen(const QByteArray &levels);
// The samples of a WAV file, widened.
std::vector<qint16> deviceSamples(const QString &wavFile);
// The samples of a raw 8-bit recording (SDL's disk driver), widened.
std::vector<qint16> readRecording(const QString &recording);
// Where the run of `length` samples of `sound` from `from` on stands in the
// recording, searched between `first` and `last`; -1 when nowhere.
qsizetype findRun(const std::vector<qint16> &recording, const std::vector<qint16> &sound,
                  size_t from, size_t length, size_t first, size_t last);
// The first sample of a sound that is clearly not quiet.
size_t firstLoud(const std::vector<qint16> &sound);
// Where the sound starts in the recording, between first and last, as its
// first two seconds tell; -1 when not there.
qsizetype findSound(const std::vector<qint16> &heard, const std::vector<qint16> &sound,
                    qsizetype first, qsizetype last);
// The same as its last quarter second tells, faded but not yet silent: -1
// when the sound was not heard to its end.
qsizetype findEnd(const std::vector<qint16> &heard, const std::vector<qint16> &sound,
                  qsizetype first, qsizetype last);
