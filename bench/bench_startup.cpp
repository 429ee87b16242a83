// SPDX-License-Identifier: MIT
// Times the console's first paint against a bare Qt window of the same size
// with one label: each program is spawned 20 times, alternating, under the
// current display; each reports when its first frame was done and ends a
// moment later, so that its peak memory holds what it leaves until after
// that frame. Prints the medians, their ratio and the peak memory of each.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr int Runs = 20;

struct Run {
    double firstPaintMs = 0;
    double peakMiB = 0;
    int libraries = 0;
    double peakAtFrameMiB = 0;
    double mainThreadMs = 0;
    double mainWaitingMs = 0;
    double allThreadsMs = 0;
};

// The number after `key` in a probe's output.
double field(const QByteArray &output, const QByteArray &key)
{
    const qsizetype at = output.indexOf(key + ' ');
    if (at < 0)
        return -1;
    const qsizetype end = output.indexOf('\n', at);
    return output.mid(at + key.size() + 1, end < 0 ? -1 : end - at - key.size() - 1)
        .trimmed()
        .toDouble();
}

qint64 monotonicNs()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::vector<QByteArray> environmentWith(const QList<QByteArray> &extra)
{
    std::vector<QByteArray> env;
    for (char **entry = environ; *entry; ++entry) {
        const QByteArray line(*entry);
        const bool replaced = std::ranges::any_of(extra, [&](const QByteArray &e) {
            return line.startsWith(e.left(e.indexOf('=') + 1));
        });
        if (!replaced)
            env.push_back(line);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

QByteArray readAll(int fd)
{
    QByteArray out;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    return out;
}

std::optional<Run> runOnce(const char *program, const QByteArray &temp)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);

    const QByteArray spawned = "BENCH_SPAWN_NS=" + QByteArray::number(monotonicNs());
    std::vector<QByteArray> env =
        environmentWith({spawned, "TEMP=" + temp, "SDL_AUDIODRIVER=dummy"});
    std::vector<char *> envp;
    envp.reserve(env.size() + 1);
    for (QByteArray &line : env)
        envp.push_back(line.data());
    envp.push_back(nullptr);
    char *argv[] = {const_cast<char *>(program), nullptr};
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (failed) {
        ::close(pipeFds[0]);
        return std::nullopt;
    }
    const QByteArray output = readAll(pipeFds[0]);
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage = {};
    wait4(pid, &status, 0, &usage);
    const double ms = field(output, "first-paint-ms");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || ms < 0)
        return std::nullopt;
    return Run{ms,
               double(usage.ru_maxrss) / 1024.0,
               int(field(output, "first-paint-libraries")),
               field(output, "first-paint-peak-kib") / 1024.0,
               field(output, "first-paint-main-thread-ms"),
               field(output, "first-paint-main-thread-waiting-ms"),
               field(output, "first-paint-all-threads-ms")};
}

double median(std::vector<double> values)
{
    std::ranges::sort(values);
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main()
{
    QTemporaryDir temp;
    const QByteArray folder = temp.path().toLocal8Bit();
    std::vector<double> paint[2], memory[2], memoryAtFrame[2], mainThread[2], mainWaiting[2],
        allThreads[2];
    int libraries[2] = {0, 0};
    const char *programs[2] = {BENCH_CONSOLE, BENCH_BARE};
    for (int i = 0; i < Runs; ++i) {
        for (int which = 0; which < 2; ++which) {
            const std::optional<Run> run = runOnce(programs[which], folder);
            if (!run) {
                std::fprintf(stderr, "%s did not report a first paint\n", programs[which]);
                return 1;
            }
            paint[which].push_back(run->firstPaintMs);
            memory[which].push_back(run->peakMiB);
            libraries[which] = run->libraries;
            memoryAtFrame[which].push_back(run->peakAtFrameMiB);
            mainThread[which].push_back(run->mainThreadMs);
            mainWaiting[which].push_back(run->mainWaitingMs);
            allThreads[which].push_back(run->allThreadsMs);
        }
    }
    const double console = median(paint[0]);
    const double bare = median(paint[1]);
    std::printf("first paint, median of %d: console %.1f ms, bare window %.1f ms, ratio %.2f\n",
                Runs, console, bare, console / bare);
    std::printf("peak memory, median of %d: console %.1f MiB, bare window %.1f MiB\n", Runs,
                median(memory[0]), median(memory[1]));
    std::printf("shared libraries mapped at the first frame: console %d, bare window %d\n",
                libraries[0], libraries[1]);
    std::printf("row: first paint (median of %d) | %.1f ms | bare window %.1f ms, ratio %.2f\n",
                Runs, console, bare, console / bare);
    std::printf("row: peak memory (median of %d) | %.1f MiB | bare window %.1f MiB\n", Runs,
                median(memory[0]), median(memory[1]));
    // What runs after the first frame (work left until then, the probe's own
    // report, the ending) counts in the whole run's peak, not in this one.
    std::printf("row: peak memory at the first frame (median of %d) | %.1f MiB | bare window "
                "%.1f MiB\n",
                Runs, median(memoryAtFrame[0]), median(memoryAtFrame[1]));
    std::printf("row: shared libraries at the first frame | %d | bare window %d\n", libraries[0],
                libraries[1]);
    // Where the first paint's time goes: the main thread working or waiting
    // for a processor (the rest it waits on the display), and all threads'
    // work together.
    std::printf("row: to the first frame (median of %d): main thread on a processor, waiting for "
                "one; all threads on a processor | %.1f, %.1f; %.1f ms | bare window %.1f, %.1f; "
                "%.1f ms\n",
                Runs, median(mainThread[0]), median(mainWaiting[0]), median(allThreads[0]),
                median(mainThread[1]), median(mainWaiting[1]), median(allThreads[1]));
    return 0;
}
