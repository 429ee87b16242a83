// SPDX-License-Identifier: MIT
#include "assetstore.h"
#include "failure.h"
#include "scratchfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

// Running copies of the program share the scratch folder. Each holds a lock
// on the files it wrote, and one that ends deletes only what no other copy
// holds. The other copy is played here by a second open of the file with a
// lock of its own, which the kernel treats as another process's.
class tst_ScratchSharing : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deleteAllLeavesHeldFiles_data();
    void deleteAllLeavesHeldFiles();
    void writeRemakesFileDeletedUnderIt();

private:
    QString path(Sound sound) const { return scratch::composePath(m_dir->path(), sound); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_savedTemp;
};

Q_DECLARE_METATYPE(QList<Sound>)

namespace {

const QList<Sound> AllSounds = {Sound::Countdown, Sound::Boom, Sound::Jungle};

// Another copy's lock on the file at path; -1 when it cannot be had.
int lockAsAnotherCopy(const QString &path, int operation)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, operation | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// How many descriptors of this process are open on the file at path.
int openHere(const QString &path)
{
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System))
        count += QFile::symLinkTarget(fds.filePath(fd)) == path ? 1 : 0;
    return count;
}

} // namespace

void tst_ScratchSharing::init()
{
    m_savedTemp = qgetenv("TEMP");
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("TEMP", QFile::encodeName(m_dir->path()));
}

void tst_ScratchSharing::cleanup()
{
    scratch::deleteAll();
    qputenv("TEMP", m_savedTemp);
    m_dir.reset();
}

void tst_ScratchSharing::deleteAllLeavesHeldFiles_data()
{
    QTest::addColumn<QList<Sound>>("heldByOther");
    QTest::addColumn<bool>("otherKilled");

    QTest::newRow("the other copy holds the countdown") << QList<Sound>{Sound::Countdown} << false;
    QTest::newRow("the other copy holds all three") << AllSounds << false;
    QTest::newRow("the other copy was killed") << AllSounds << true;
}

// This copy ends while the other runs: what the other holds stays, the rest
// goes, and once the other has let go (or was killed) the next clean-up
// deletes it.
void tst_ScratchSharing::deleteAllLeavesHeldFiles()
{
    QFETCH(QList<Sound>, heldByOther);
    QFETCH(bool, otherKilled);

    for (Sound sound : AllSounds)
        scratch::write(path(sound), sound);
    QList<int> locks;
    for (Sound sound : heldByOther) {
        locks << lockAsAnotherCopy(path(sound), LOCK_SH);
        QVERIFY(locks.last() >= 0);
    }
    const auto letGo = [&] {
        for (int fd : std::as_const(locks))
            ::close(fd);
        locks.clear();
    };
    if (otherKilled)
        letGo();

    scratch::deleteAll();
    for (Sound sound : AllSounds) {
        const bool kept = heldByOther.contains(sound) && !otherKilled;
        QCOMPARE(QFileInfo::exists(path(sound)), kept);
    }
    letGo();
    scratch::deleteAll();
    QVERIFY2(QDir(m_dir->path()).isEmpty(), qPrintable(QDir(m_dir->path()).entryList().join(u' ')));
}

// A copy starts while another ends: it opens the countdown file just as the
// ending copy, holding it exclusively, deletes it. The starting copy must
// notice that the file it opened is no longer the one at the name, and make
// it anew rather than keep writing to the deleted one.
void tst_ScratchSharing::writeRemakesFileDeletedUnderIt()
{
    const QString file = path(Sound::Countdown);
    QFile old(file);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    const int ending = lockAsAnotherCopy(file, LOCK_EX);
    QVERIFY(ending >= 0);

    int failure = -1;
    std::thread starting([&] {
        try {
            scratch::write(file, Sound::Countdown);
            failure = 0;
        } catch (const FailureError &error) {
            failure = error.failure().number;
        }
    });
    for (int waited = 0; openHere(file) < 2 && waited < 10000; waited += 5)
        QTest::qSleep(5);
    const bool openedBeforeDelete = openHere(file) >= 2;
    QCOMPARE(::unlink(QFile::encodeName(file).constData()), 0);
    ::close(ending);
    starting.join();

    QVERIFY2(openedBeforeDelete, "the write did not open the file while it was held");
    QCOMPARE(failure, 0);
    QFile remade(file);
    QVERIFY2(remade.open(QIODevice::ReadOnly), "the file was not made anew");
    QCOMPARE(remade.readAll(), assets::lookup(Sound::Countdown));
    QCOMPARE(lockAsAnotherCopy(file, LOCK_EX), -1);
}

QTEST_GUILESS_MAIN(tst_ScratchSharing)
#include "tst_scratchsharing.moc"
