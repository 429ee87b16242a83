// SPDX-License-Identifier: MIT
#include "assetstore.h"
#include "failure.h"
#include "scratchfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class tst_ScratchFiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void paths_data();
    void paths();
    void writeOverExisting_data();
    void writeOverExisting();
    void writeRefused_data();
    void writeRefused();
    void deleteAll_data();
    void deleteAll();
    void deleteAllReadsTempAfresh();

private:
    enum class Entry { Absent, File, Folder, Link, ReadOnly, Fifo, Socket, HardLink, OtherUser };

    QString path(const QString &name) const { return m_dir->path() + u'/' + name.mid(1); }
    static QByteArray asset(Sound sound) { return assets::lookup(sound); }
    static void writeFile(const QString &path, const QByteArray &bytes);
    static QByteArray readFile(const QString &path);
    static int writeFailure(const QString &path, Sound sound);
    static bool plant(Entry entry, const QString &path, const QString &target);

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_savedTemp;
    QByteArray m_savedTmpdir;
};

Q_DECLARE_METATYPE(QList<int>)

namespace {

// Only root can give a file away; tests that need one skip otherwise.
constexpr uid_t OtherUser = 65534;

} // namespace
Q_DECLARE_METATYPE(Sound)

void tst_ScratchFiles::init()
{
    m_savedTemp = qgetenv("TEMP");
    m_savedTmpdir = qgetenv("TMPDIR");
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_ScratchFiles::cleanup()
{
    qputenv("TEMP", m_savedTemp);
    qputenv("TMPDIR", m_savedTmpdir);
    m_dir.reset();
}

void tst_ScratchFiles::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray tst_ScratchFiles::readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The errno of the failed write, or 0 when it succeeded.
int tst_ScratchFiles::writeFailure(const QString &path, Sound sound)
{
    try {
        scratch::write(path, sound);
    } catch (const FailureError &error) {
        return error.failure().number;
    }
    return 0;
}

// Puts the entry at path; a link points at target.
bool tst_ScratchFiles::plant(Entry entry, const QString &path, const QString &target)
{
    const QByteArray name = QFile::encodeName(path);
    switch (entry) {
    case Entry::Absent:
        return true;
    case Entry::File:
        scratch::write(path, Sound::Jungle);
        return true;
    case Entry::Folder:
        return QDir().mkdir(path);
    case Entry::Link:
        return QFile::link(target, path);
    case Entry::ReadOnly:
        scratch::write(path, Sound::Jungle);
        return ::chmod(name.constData(), 0444) == 0;
    case Entry::Fifo:
        return ::mkfifo(name.constData(), 0600) == 0;
    case Entry::Socket: {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        if (size_t(name.size()) >= sizeof address.sun_path)
            return false;
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool bound =
            fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
        return bound;
    }
    case Entry::HardLink:
        return ::link(QFile::encodeName(target).constData(), name.constData()) == 0;
    case Entry::OtherUser:
        scratch::write(path, Sound::Jungle);
        return ::chown(name.constData(), OtherUser, OtherUser) == 0;
    }
    return false;
}

void tst_ScratchFiles::paths_data()
{
    QTest::addColumn<QByteArray>("temp");
    QTest::addColumn<bool>("tempSet");
    QTest::addColumn<QByteArray>("tmpdir");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("TEMP unset, TMPDIR set")
        << QByteArray() << false << "/var/spool"_ba << scratch::fileName(Sound::Countdown)
        << u"/var/spool/audiojunglecountdown.wav"_s;
    QTest::newRow("TEMP unset, TMPDIR unset")
        << QByteArray() << false << QByteArray() << scratch::fileName(Sound::Jungle)
        << u"/tmp/audiojungle.wav"_s;
    QTest::newRow("TEMP empty") << QByteArray() << true << "/var/spool"_ba
                                << scratch::fileName(Sound::Boom)
                                << u"/var/spool/boomaudiojungle.wav"_s;
    QTest::newRow("TEMP plain") << "/srv/t"_ba << true << "/var/spool"_ba
                                << scratch::fileName(Sound::Boom)
                                << u"/srv/t/boomaudiojungle.wav"_s;
    QTest::newRow("TEMP ending in a slash")
        << "/srv/t/"_ba << true << "/var/spool"_ba << scratch::fileName(Sound::Jungle)
        << u"/srv/t//audiojungle.wav"_s;
    QTest::newRow("TEMP relative, with dots")
        << "a/../b"_ba << true << QByteArray() << scratch::fileName(Sound::Countdown)
        << u"a/../b/audiojunglecountdown.wav"_s;
}

void tst_ScratchFiles::paths()
{
    QFETCH(QByteArray, temp);
    QFETCH(bool, tempSet);
    QFETCH(QByteArray, tmpdir);
    QFETCH(QString, name);
    QFETCH(QString, expected);

    if (tempSet)
        qputenv("TEMP", temp);
    else
        qunsetenv("TEMP");
    if (tmpdir.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", tmpdir);

    const QString folder = scratch::readTempFolder();
    QCOMPARE(folder, QString::fromLocal8Bit(temp));
    QCOMPARE(scratch::composePath(folder, name), expected);
}

void tst_ScratchFiles::writeOverExisting_data()
{
    QTest::addColumn<Sound>("sound");
    QTest::addColumn<int>("existingLength");

    const QList<std::pair<const char *, Sound>> sounds = {
        {"countdown", Sound::Countdown}, {"boom", Sound::Boom}, {"jungle", Sound::Jungle}};
    for (const auto &[name, sound] : sounds) {
        const int length = int(asset(sound).size());
        QTest::addRow("%s, absent file", name) << sound << -1;
        QTest::addRow("%s, empty file", name) << sound << 0;
        QTest::addRow("%s, shorter file", name) << sound << length / 2;
        QTest::addRow("%s, same length", name) << sound << length;
        QTest::addRow("%s, longer file", name) << sound << length + 5000;
    }
}

void tst_ScratchFiles::writeOverExisting()
{
    QFETCH(Sound, sound);
    QFETCH(int, existingLength);

    const QString file = path(scratch::fileName(Sound::Boom));
    QByteArray existing(qMax(existingLength, 0), '\xa5');
    if (existingLength >= 0)
        writeFile(file, existing);

    scratch::write(file, sound);

    const QByteArray bytes = asset(sound);
    const QByteArray written = readFile(file);
    QCOMPARE(written.size(), qMax(bytes.size(), existing.size()));
    QVERIFY(written.startsWith(bytes));
    QCOMPARE(written.mid(bytes.size()), existing.mid(bytes.size()));
    if (existingLength < 0) {
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
    }
}

void tst_ScratchFiles::writeRefused_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("expectedErrno");
    QTest::addColumn<QString>("found");

    const QString link = u"A symbolic link is in the way of the scratch file"_s;
    const QString special =
        u"A special file (a FIFO, socket or device) is in the way of the scratch file"_s;
    const QString system;
    QTest::newRow("symlink to a file") << u"link"_s << ELOOP << link;
    QTest::newRow("dangling symlink") << u"dangling"_s << ELOOP << link;
    QTest::newRow("FIFO") << u"fifo"_s << EINVAL << special;
    QTest::newRow("socket") << u"socket"_s << EINVAL << special;
    QTest::newRow("device node") << u"device"_s << EINVAL << special;
    QTest::newRow("hard link to another file")
        << u"hardlink"_s << EMLINK
        << u"A file with more than one hard link is in the way of the scratch file"_s;
    QTest::newRow("read-only file")
        << u"readonly"_s << EACCES << u"A read-only file is in the way of the scratch file"_s;
    QTest::newRow("file of another user")
        << u"otheruser"_s << EPERM << u"A file of another user is in the way of the scratch file"_s;
    QTest::newRow("folder") << u"folder"_s << EISDIR << system;
    QTest::newRow("folder in TEMP that does not exist") << u"missing"_s << ENOENT << system;
}

// What stands at the name is never written through, and the message says
// what the program found there rather than the system's bare error text.
// Root is refused a read-only file and another user's file as anyone is.
void tst_ScratchFiles::writeRefused()
{
    QFETCH(QString, setup);
    QFETCH(int, expectedErrno);
    QFETCH(QString, found);

    QString file = path(scratch::fileName(Sound::Countdown));
    const QString target = m_dir->filePath(u"target"_s);
    const QByteArray targetBytes = "precious";
    writeFile(target, targetBytes);
    if (setup == u"link")
        QVERIFY(QFile::link(target, file));
    else if (setup == u"dangling")
        QVERIFY(QFile::link(m_dir->filePath(u"created-through-link"_s), file));
    else if (setup == u"fifo")
        QVERIFY(plant(Entry::Fifo, file, target));
    else if (setup == u"socket")
        QVERIFY(plant(Entry::Socket, file, target));
    else if (setup == u"hardlink")
        QVERIFY(plant(Entry::HardLink, file, target));
    else if (setup == u"device" &&
             ::mknod(QFile::encodeName(file).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("cannot make a device node here");
    else if (setup == u"folder")
        QVERIFY(QDir(m_dir->path()).mkdir(QFileInfo(file).fileName()));
    else if (setup == u"readonly" || setup == u"otheruser")
        writeFile(file, targetBytes);
    if (setup == u"readonly")
        QVERIFY(
            QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    if (setup == u"otheruser" && ::geteuid() != 0)
        QSKIP("only root can give a file to another user");
    if (setup == u"otheruser")
        QCOMPARE(::chown(QFile::encodeName(file).constData(), OtherUser, OtherUser), 0);
    else if (setup == u"missing")
        file = scratch::composePath(m_dir->filePath(u"gone"_s), Sound::Countdown);

    QElapsedTimer clock;
    clock.start();
    try {
        scratch::write(file, Sound::Countdown);
        QFAIL("the write went through");
    } catch (const FailureError &error) {
        QCOMPARE(error.failure().number, expectedErrno);
        QVERIFY2(error.failure().description.contains(file),
                 qPrintable(error.failure().description));
        const QString reason =
            found.isEmpty() ? QString::fromLocal8Bit(std::strerror(expectedErrno)) : found;
        QCOMPARE(error.failure().description, reason + u": "_s + file);
    }
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(readFile(target), targetBytes);
    if (setup == u"readonly" || setup == u"otheruser")
        QCOMPARE(readFile(file), targetBytes);
    QVERIFY(!QFileInfo::exists(m_dir->filePath(u"created-through-link"_s)));
}

void tst_ScratchFiles::deleteAll_data()
{
    QTest::addColumn<QList<int>>("entries");

    const int absent = int(Entry::Absent), file = int(Entry::File);
    const int folder = int(Entry::Folder), link = int(Entry::Link);
    const int readOnly = int(Entry::ReadOnly), fifo = int(Entry::Fifo);
    const int socket = int(Entry::Socket), hardLink = int(Entry::HardLink);
    const int otherUser = int(Entry::OtherUser);
    QTest::newRow("all three present") << QList<int>{file, file, file};
    QTest::newRow("none present") << QList<int>{absent, absent, absent};
    QTest::newRow("result window never shown") << QList<int>{file, file, absent};
    QTest::newRow("countdown missing") << QList<int>{absent, file, file};
    QTest::newRow("countdown cannot be deleted") << QList<int>{folder, file, file};
    QTest::newRow("boom cannot be deleted") << QList<int>{file, folder, file};
    QTest::newRow("all but jungle cannot be deleted") << QList<int>{folder, folder, file};
    QTest::newRow("symlinks in place of the files") << QList<int>{link, link, link};
    QTest::newRow("read-only countdown, the rest still deleted")
        << QList<int>{readOnly, file, file};
    QTest::newRow("read-only jungle") << QList<int>{file, file, readOnly};
    QTest::newRow("FIFO, socket and link planted") << QList<int>{fifo, socket, link};
    QTest::newRow("second name of a writable file") << QList<int>{hardLink, file, fifo};
    QTest::newRow("hard links at every name") << QList<int>{hardLink, hardLink, hardLink};
    QTest::newRow("another user's boom, the rest still deleted")
        << QList<int>{file, otherUser, file};
}

// Only what the writer would write is ours to delete: links, FIFOs, sockets,
// second hard links, read-only files and other users' files stay as they
// are, for root too, and each name is tried.
void tst_ScratchFiles::deleteAll()
{
    QFETCH(QList<int>, entries);

    const QStringList names = {scratch::fileName(Sound::Countdown), scratch::fileName(Sound::Boom),
                               scratch::fileName(Sound::Jungle)};
    const QString target = m_dir->filePath(u"target"_s);
    writeFile(target, "kept");
    if (entries.contains(int(Entry::OtherUser)) && ::geteuid() != 0)
        QSKIP("only root can give a file to another user");
    for (int i = 0; i < names.size(); ++i)
        QVERIFY(plant(Entry(entries[i]), path(names[i]), target));
    const auto links = [&] {
        struct stat info = {};
        return ::stat(QFile::encodeName(target).constData(), &info) == 0 ? int(info.st_nlink) : -1;
    };
    const int linksBefore = links();
    qputenv("TEMP", m_dir->path().toLocal8Bit());

    scratch::deleteAll();

    for (int i = 0; i < names.size(); ++i) {
        const QFileInfo info(path(names[i]));
        const auto entry = Entry(entries[i]);
        if (entry == Entry::File || entry == Entry::Absent)
            QVERIFY2(!info.exists() && !info.isSymLink(), qPrintable(names[i]));
        else
            QVERIFY2(info.exists() || info.isSymLink(), qPrintable(names[i]));
        if (entry == Entry::Folder)
            QVERIFY2(info.isDir(), qPrintable(names[i]));
        if (entry == Entry::Link)
            QCOMPARE(info.symLinkTarget(), target);
    }
    QCOMPARE(readFile(target), "kept"_ba);
    QCOMPARE(links(), linksBefore);
}

void tst_ScratchFiles::deleteAllReadsTempAfresh()
{
    QTemporaryDir later;
    QVERIFY(later.isValid());
    const QStringList names = {scratch::fileName(Sound::Countdown), scratch::fileName(Sound::Boom),
                               scratch::fileName(Sound::Jungle)};
    for (const QString &name : names) {
        scratch::write(path(name), Sound::Boom);
        scratch::write(later.path() + u'/' + name.mid(1), Sound::Boom);
    }
    qputenv("TEMP", later.path().toLocal8Bit());

    scratch::deleteAll();

    for (const QString &name : names) {
        QVERIFY(QFileInfo::exists(path(name)));
        QVERIFY(!QFileInfo::exists(later.path() + u'/' + name.mid(1)));
    }
}

QTEST_GUILESS_MAIN(tst_ScratchFiles)
#include "tst_scratchfiles.moc"
