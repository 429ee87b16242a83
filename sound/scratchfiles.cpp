// SPDX-License-Identifier: MIT
// Scratch files: paths from TEMP, the checks that keep a planted file from
// being written or deleted, and the locks that let two copies share them.
#include "scratchfiles.h"

#include "assetstore.h"
#include "failure.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <iterator>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <type_traits>
#include <unistd.h>

namespace scratch {

namespace {

const QString LinkInTheWay = QStringLiteral("A symbolic link is in the way of the scratch file");
const QString SpecialInTheWay =
    QStringLiteral("A special file (a FIFO, socket or device) is in the way of the scratch file");
const QString HardLinkInTheWay =
    QStringLiteral("A file with more than one hard link is in the way of the scratch file");
const QString OtherUsersInTheWay =
    QStringLiteral("A file of another user is in the way of the scratch file");
const QString ReadOnlyInTheWay =
    QStringLiteral("A read-only file is in the way of the scratch file");
const QString TempNotText = QStringLiteral(
    "TEMP holds bytes that are not UTF-8 text, so no scratch file can be named in that folder");

// Qt holds a path as text and replaces bytes that are not UTF-8, which would
// name another folder; such a TEMP is not taken at all.
std::optional<QString> tempAsText()
{
    const QByteArray bytes = qgetenv("TEMP");
    QString folder = QFile::decodeName(bytes);
    if (QFile::encodeName(folder) != bytes)
        return std::nullopt;
    return folder;
}

// The length of the UTF-8 sequence at `at`, 0 when none starts there. Taken
// from Qt's own decoding rather than QByteArrayView::isValidUtf8, which
// passes a byte order mark that the decoding drops: such a mark leading TEMP
// is what made it refused, so it is shown as bytes.
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

// A copy that is deleting a file holds it exclusively for a moment only.
constexpr int LockTries = 400;
constexpr std::chrono::milliseconds LockPause(5);
// How often a write starts over when the name it opened is deleted under it.
constexpr int OpenAttempts = 8;

// Every running copy holds a shared lock on each scratch file it wrote, as
// long as it runs, and a copy that ends deletes a file only when it can take
// the file exclusively: so the last copy to end deletes it. The locks outlive
// the handler that wrote the file on purpose. One per row of the sound table,
// constant-initialised and never destroyed, as the clean-up may run from
// exit() after static destructors.
struct HeldFile {
    std::atomic<int> fd = -1;
};
static_assert(std::is_trivially_destructible_v<HeldFile>);
constinit HeldFile heldFiles[std::size(SoundAssets)];

std::atomic<int> &held(Sound sound)
{
    for (size_t slot = 0; slot < std::size(SoundAssets); ++slot) {
        if (SoundAssets[slot].sound == sound)
            return heldFiles[slot].fd;
    }
    return heldFiles[0].fd;
}

void hold(Sound sound, int fd)
{
    const int earlier = held(sound).exchange(fd);
    if (earlier >= 0)
        ::close(earlier);
}

void release(Sound sound)
{
    hold(sound, -1);
}

struct Refusal {
    int number;
    QString found;
};

// What the writer may write over and the clean-up may delete: a regular file
// of the user the program runs as, with one link and its owner's write bit.
// The folder is usually shared and world-writable and the names are known in
// advance, so a planted link is never followed, a FIFO or device never
// opened, a second hard link never written through or deleted. The kernel
// lets root write and delete any file, so owner and write bit are checked
// here for root as for anyone.
std::optional<Refusal> refusal(const struct stat &info)
{
    if (S_ISLNK(info.st_mode))
        return Refusal{ELOOP, LinkInTheWay};
    if (!S_ISREG(info.st_mode))
        return Refusal{EINVAL, SpecialInTheWay};
    if (info.st_nlink > 1)
        return Refusal{EMLINK, HardLinkInTheWay};
    if (info.st_uid != ::geteuid())
        return Refusal{EPERM, OtherUsersInTheWay};
    if ((info.st_mode & S_IWUSR) == 0)
        return Refusal{EACCES, ReadOnlyInTheWay};
    return std::nullopt;
}

void refuseUnlessOurs(const struct stat &info, const QString &path)
{
    if (const std::optional<Refusal> refused = refusal(info))
        throw fileFailure(refused->number, path, refused->found);
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// O_NONBLOCK keeps the open of a FIFO swapped in after the check from
// waiting for a reader; a folder is left to open() to name.
int openForWriting(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(name.constData(), &info) == 0 && !S_ISDIR(info.st_mode))
        refuseUnlessOurs(info, path);
    const int fd = ::open(name.constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    const int error = errno;
    const bool link = ::lstat(name.constData(), &info) == 0 && S_ISLNK(info.st_mode);
    throw fileFailure(error, path, error == ELOOP && link ? LinkInTheWay : QString());
}

// False when another copy keeps the file locked (shared, or exclusively
// after the given tries). A file system without locks counts as locked, and
// the file is shared as it always was.
bool lock(int fd, int operation, int tries)
{
    for (int tried = 0;; ++tried) {
        if (::flock(fd, operation | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return true;
        if (tried + 1 >= tries)
            return false;
        std::this_thread::sleep_for(LockPause);
    }
}

// Whether fd is still the file at name, compared after the lock is held: a
// copy that was ending may have deleted the name after this one opened it.
bool stillNamed(int fd, const QByteArray &name)
{
    struct stat opened = {};
    struct stat named = {};
    return ::fstat(fd, &opened) == 0 && ::lstat(name.constData(), &named) == 0 &&
           sameFile(opened, named);
}

// The file at path, open for writing under a shared lock; a file deleted
// between the open and the lock is made anew.
int openLocked(const QString &path)
{
    for (int attempt = 0; attempt < OpenAttempts; ++attempt) {
        const int fd = openForWriting(path);
        auto closeOnFailure = qScopeGuard([fd] { ::close(fd); });
        if (!lock(fd, LOCK_SH, LockTries))
            throw fileFailure(EWOULDBLOCK, path);
        if (stillNamed(fd, QFile::encodeName(path))) {
            closeOnFailure.dismiss();
            return fd;
        }
    }
    throw fileFailure(EAGAIN, path);
}

void requireOwnRegularFile(int fd, const QString &path)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        throw fileFailure(errno, path);
    refuseUnlessOurs(info, path);
}

// A name is deleted only when the writer would write it and no other copy
// holds it: this copy lets its own lock go, then takes the file exclusively
// without waiting and checks that the name still leads to it.
void deleteIfLast(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(name.constData(), &info) != 0 || refusal(info))
        return;
    const int fd =
        ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    const auto closeAtEnd = qScopeGuard([fd] { ::close(fd); });
    if (!lock(fd, LOCK_EX, 1) || ::fstat(fd, &info) != 0 || refusal(info) || !stillNamed(fd, name))
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
    const int fd = openLocked(path);
    // A failed write leaks no descriptor; a good one keeps it for the lock.
    auto closeOnFailure = qScopeGuard([fd] { ::close(fd); });
    requireOwnRegularFile(fd, path);
    writeFromStart(fd, bytes, path);
    // Closing a second descriptor reports what the file system could not
    // finish, as closing the file would. Linux closes the descriptor even
    // when close() reports EINTR.
    const int flushed = ::dup(fd);
    if (flushed < 0 || (::close(flushed) != 0 && errno != EINTR))
        throw fileFailure(errno, path);
    closeOnFailure.dismiss();
    hold(sound, fd);
}

void deleteAll()
{
    for (const SoundAsset &sound : SoundAssets)
        release(sound.sound);
    // Nothing is ever written under a TEMP that is not text.
    const std::optional<QString> folder = tempAsText();
    if (!folder)
        return;
    for (const SoundAsset &sound : SoundAssets)
        deleteIfLast(composePath(*folder, sound.sound));
}

} // namespace scratch
