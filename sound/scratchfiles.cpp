#include "scratchfiles.h"

#include "assetstore.h"
#include "failure.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace scratch {

namespace {

// Closes on every way out, so that a failed write leaks no descriptor.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// The folder is usually shared and world-writable and the names are known in
// advance, so a planted link is never followed and a FIFO or device is never
// written to; O_NONBLOCK keeps the open of a FIFO from waiting for a reader.
int openForWriting(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0)
        throw fileFailure(errno, path);
    return fd;
}

void requireRegularFile(int fd, const QString &path)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        throw fileFailure(errno, path);
    if (!S_ISREG(info.st_mode))
        throw fileFailure(EINVAL, path);
}

void writeFromStart(int fd, const QByteArray &bytes, const QString &path)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw fileFailure(errno, path);
        if (n == 0)
            throw fileFailure(EIO, path);
        done += n;
    }
}

} // namespace

QString readTempFolder()
{
    return qEnvironmentVariable("TEMP");
}

QString composePath(const QString &tempFolder, const QString &fileName)
{
    const QString folder = tempFolder.isEmpty() ? QDir::tempPath() : tempFolder;
    if (fileName.startsWith(u'\\'))
        return folder + u'/' + fileName.mid(1);
    return folder + fileName;
}

void write(const QString &path, int assetId)
{
    const QByteArray bytes = assets::lookup(QStringLiteral("CUSTOM"), assetId);
    Descriptor file(openForWriting(path));
    requireRegularFile(file.get(), path);
    writeFromStart(file.get(), bytes, path);
    // Linux closes the descriptor even when close() reports EINTR.
    if (::close(file.release()) != 0 && errno != EINTR)
        throw fileFailure(errno, path);
}

void deleteAll()
{
    const QString folder = readTempFolder();
    for (const QString &name : {CountdownFileName, BoomFileName, JungleFileName}) {
        // unlink() removes a link itself, never its target; failures are ignored one by one.
        ::unlink(QFile::encodeName(composePath(folder, name)).constData());
    }
}

} // namespace scratch
