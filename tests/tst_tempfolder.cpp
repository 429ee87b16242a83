// SPDX-License-Identifier: MIT
#include "assetstore.h"
#include "failure.h"
#include "scratchfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// TEMP is taken byte for byte: what it names is where the scratch files go
// and are deleted from, blanks and line breaks included; a value that is not
// text is refused rather than turned into the name of another folder.
class tst_TempFolder : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tempKeptExactly_data();
    void tempKeptExactly();
    void tempNotText_data();
    void tempNotText();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_savedTemp;
    QString m_savedCurrent;
};

void tst_TempFolder::init()
{
    m_savedTemp = qgetenv("TEMP");
    m_savedCurrent = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_TempFolder::cleanup()
{
    qputenv("TEMP", m_savedTemp);
    QDir::setCurrent(m_savedCurrent);
    m_dir.reset();
}

void tst_TempFolder::tempKeptExactly_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<bool>("relative");

    QTest::newRow("trailing newline") << "d\n"_ba << false;
    QTest::newRow("leading blank, relative") << " d"_ba << true;
    QTest::newRow("accented letters") << "d_\xc3\xa9t\xc3\xa9"_ba << false;
    QTest::newRow("replacement character itself") << "d_\xef\xbf\xbd"_ba << false;
}

// TEMP's bytes reach the system calls unchanged: the files land in exactly
// the folder it names and are deleted from there.
void tst_TempFolder::tempKeptExactly()
{
    QFETCH(QByteArray, folder);
    QFETCH(bool, relative);

    const QByteArray base = QFile::encodeName(m_dir->path());
    if (relative)
        QVERIFY(QDir::setCurrent(m_dir->path()));
    const QByteArray temp = relative ? folder : base + '/' + folder;
    QCOMPARE(::mkdir((base + '/' + folder).constData(), 0700), 0);
    qputenv("TEMP", temp);

    const QString read = scratch::readTempFolder();
    QCOMPARE(QFile::encodeName(read), temp);
    const QString countdown = scratch::composePath(read, Sound::Countdown);
    scratch::write(countdown, Sound::Countdown);
    const QByteArray written = base + '/' + folder + "/audiojunglecountdown.wav";
    QCOMPARE(::access(written.constData(), F_OK), 0);

    scratch::deleteAll();
    QCOMPARE(::access(written.constData(), F_OK), -1);
}

void tst_TempFolder::tempNotText_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QString>("shown");

    QTest::newRow("byte that is not UTF-8") << "d_\xff"_ba << u"d_\\xFF"_s;
    QTest::newRow("sequence cut short") << "d_\xc3"_ba << u"d_\\xC3"_s;
    QTest::newRow("encoded surrogate") << "d_\xed\xa0\x80"_ba << u"d_\\xED\\xA0\\x80"_s;
    QTest::newRow("bad byte and a newline") << "\xe9t\xe9\n"_ba << u"\\xE9t\\xE9\n"_s;
}

// A TEMP that is not text cannot be held as text without changing it, and a
// changed name is another folder: the value is refused, with a message that
// shows its bytes, and nothing is written or deleted anywhere.
void tst_TempFolder::tempNotText()
{
    QFETCH(QByteArray, folder);
    QFETCH(QString, shown);

    const QByteArray base = QFile::encodeName(m_dir->path());
    const QByteArray lossy = QFile::encodeName(QFile::decodeName(folder));
    QVERIFY(lossy != folder);
    QList<QByteArray> sentinels;
    for (const QByteArray &name : {folder, lossy}) {
        QCOMPARE(::mkdir((base + '/' + name).constData(), 0700), 0);
        const QByteArray file = base + '/' + name + "/boomaudiojungle.wav";
        const int fd = ::open(file.constData(), O_CREAT | O_WRONLY, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
        sentinels << file;
    }
    qputenv("TEMP", base + '/' + folder);

    try {
        scratch::readTempFolder();
        QFAIL("TEMP was taken as text");
    } catch (const FailureError &error) {
        QCOMPARE(error.failure().number, EILSEQ);
        QCOMPARE(error.failure().description,
                 u"TEMP holds bytes that are not UTF-8 text, so no scratch file can be named "
                 u"in that folder: "_s +
                     m_dir->path() + u'/' + shown);
    }
    scratch::deleteAll();
    for (const QByteArray &file : sentinels)
        QVERIFY2(::access(file.constData(), F_OK) == 0, file.constData());
    QCOMPARE(::access((base + '/' + lossy + "/audiojunglecountdown.wav").constData(), F_OK), -1);
}

QTEST_GUILESS_MAIN(tst_TempFolder)
#include "tst_tempfolder.moc"
