#include "player.h"

#include "alerttone.h"
#include "audiooutput.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sound {

namespace {

// Far above the largest sound; a bigger file is not one of ours.
constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

std::function<void(const QString &)> &playWatcher()
{
    static std::function<void(const QString &)> watcher;
    return watcher;
}

// The scratch folder is shared, so whatever sits at the path may be a FIFO or
// a device: only a regular file is read, and the open never waits.
QByteArray readRegularFile(const QString &path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes;
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= MaxFileBytes) {
        bytes.resize(qsizetype(info.st_size));
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        bytes.truncate(done);
    }
    ::close(fd);
    return bytes;
}

const QByteArray &alertTone()
{
    static const QByteArray tone = alertToneWav();
    return tone;
}

} // namespace

void play(const QString &path)
{
    if (const auto &watcher = playWatcher())
        watcher(path);
    // Called straight from handlers: even running out of memory here only means silence.
    try {
        AudioOutput &output = AudioOutput::instance();
        if (!output.ensureOpen())
            return;
        if (!output.playWav(readRegularFile(path)))
            output.playWav(alertTone());
    } catch (...) {
    }
}

void setPlayWatcher(std::function<void(const QString &path)> watcher)
{
    playWatcher() = std::move(watcher);
}

} // namespace sound
