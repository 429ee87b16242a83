// SPDX-License-Identifier: MIT
#include "scratchfiles.h"

#include "assetstore.h"
#include "failure.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <optional>
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

const QString LinkInTheWay = QStringLiteral("A symbolic link is in the way of the scratch file");
const QString SpecialInTheWay =
    QStringLiteral("A special file (a FIFO, socket or device) is in the way of the scratch file");
const QString HardLinkInTheWay =
    QStringLiteral("A file with more than one hard link is in the way of the scratch file");
const QString TempNotText = QStringLiteral(
    "TEMP holds bytes that are not UTF-8 text, so no scratch file can be named in that folder");

// Qt holds a path as text and replaces bytes that are not UTF-8, which would
// name another folder; such a TEMP is not taken at all.
std::optional<QString> tempAsText()
{
    const QByteArray bytes = qgetenv("TEMP");
    const QString folder = QFile::decodeName(bytes);
    if (QFile::encodeName(folder) != bytes)
        return std::nullopt;
    return folder;
}

qsizetype utf8Length(const QByteArray &bytes, qsizetype at)
{
    for (qsizetype length = 1; length <= 4 && at + length <= bytes.size(); ++length) {
        const QByteArray sequence = bytes.mid(at, length);
        if (QString::fromUtf8(sequence).toUtf8() == sequence)
            return length;
    }
    return 0;
}

// The bytes for a person to read: text where they are UTF-8, \xNN where not.
QString shownBytes(const QByteArray &bytes)
{
    QString shown;
    for (qsizetype at = 0; at < bytes.size();) {
        if (const qsizetype length = utf8Length(bytes, at)) {
            shown += QString::fromUtf8(bytes.mid(at, length));
            at += length;
        } else {
            shown += QStringLiteral("\\x") +
                     QString::number(uchar(bytes.at(at)), 16).toUpper().rightJustified(2, u'0');
            ++at;
        }
    }
    return shown;
}

// The folder is usually shared and world-writable and the names are known in
// advance, so only a regular file of its own is written: a planted link is
// never followed, a FIFO or device never opened, a second hard link never
// written through. O_NONBLOCK keeps the open of a FIFO swapped in meanwhile
// from waiting for a reader.
int openForWriting(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    const bool present = ::lstat(name.constData(), &info) == 0;
    if (present && S_ISLNK(info.st_mode))
        throw fileFailure(ELOOP, path, LinkInTheWay);
    if (present && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        throw fileFailure(EINVAL, path, SpecialInTheWay);
    const int fd = ::open(name.constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    const int error = errno;
    const bool link = ::lstat(name.constData(), &info) == 0 && S_ISLNK(info.st_mode);
    throw fileFailure(error, path, error == ELOOP && link ? LinkInTheWay : QString());
}

void requireOwnRegularFile(int fd, const QString &path)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        throw fileFailure(errno, path);
    if (!S_ISREG(info.st_mode))
        throw fileFailure(EINVAL, path, SpecialInTheWay);
    if (info.st_nlink > 1)
        throw fileFailure(EMLINK, path, HardLinkInTheWay);
}

// A name is deleted only when a regular file of the program's could stand
// there: links, special files and read-only files are someone else's.
void deleteIfOurs(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return;
    ::unlink(name.constData());
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
    if (const std::optional<QString> folder = tempAsText())
        return *folder;
    throw fileFailure(EILSEQ, shownBytes(qgetenv("TEMP")), TempNotText);
}

QString composePath(const QString &tempFolder, const QString &fileName)
{
    const QString folder = tempFolder.isEmpty() ? QDir::tempPath() : tempFolder;
    if (fileName.startsWith(u'\\'))
        return folder + u'/' + fileName.mid(1);
    return folder + fileName;
}

QString fileName(Sound sound)
{
    return QString::fromLatin1(assets::soundAsset(sound).scratchName);
}

QString composePath(const QString &tempFolder, Sound sound)
{
    return composePath(tempFolder, fileName(sound));
}

void write(const QString &path, Sound sound)
{
    const QByteArray bytes = assets::lookup(sound);
    Descriptor file(openForWriting(path));
    requireOwnRegularFile(file.get(), path);
    writeFromStart(file.get(), bytes, path);
    // Linux closes the descriptor even when close() reports EINTR.
    if (::close(file.release()) != 0 && errno != EINTR)
        throw fileFailure(errno, path);
}

void deleteAll()
{
    // Nothing is ever written under a TEMP that is not text.
    const std::optional<QString> folder = tempAsText();
    if (!folder)
        return;
    for (const SoundAsset &sound : SoundAssets)
        deleteIfOurs(composePath(*folder, sound.sound));
}

} // namespace scratch
