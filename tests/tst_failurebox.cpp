#include "assetstore.h"
#include "failure.h"
#include "failurebox.h"
#include "messageboxwatcher.h"
#include "scratchfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

class tst_FailureBox : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void unhandledWriteFailure_data();
    void unhandledWriteFailure();

private:
    bool countdownExists() const { return QFileInfo::exists(path(scratch::CountdownFileName)); }
    QString path(const QString &name) const { return scratch::composePath(m_dir->path(), name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QList<int> m_exits;
    bool m_countdownAtExit = false;
};

void tst_FailureBox::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("TEMP", m_dir->path().toLocal8Bit());
    installFailureBox([this](int status) {
        m_exits << status;
        m_countdownAtExit = countdownExists();
    });
}

void tst_FailureBox::cleanup()
{
    setFailureReport({});
    m_exits.clear();
    m_dir.reset();
}

void tst_FailureBox::unhandledWriteFailure_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<int>("number");

    QTest::newRow("folder missing") << u"missing"_s << ENOENT;
    QTest::newRow("folder in the way") << u"folder"_s << EISDIR;
    QTest::newRow("planted symlink") << u"link"_s << ELOOP;
}

// As the console's load does it: the countdown file is written, the boom file
// cannot be; the user sees the box, then no scratch file is left and the
// program ends with a failure status.
void tst_FailureBox::unhandledWriteFailure()
{
    QFETCH(QString, obstacle);
    QFETCH(int, number);

    QString boom = path(scratch::BoomFileName);
    if (obstacle == u"missing")
        boom = scratch::composePath(m_dir->filePath(u"gone"_s), scratch::BoomFileName);
    else if (obstacle == u"folder")
        QVERIFY(QDir().mkdir(boom));
    else
        QVERIFY(QFile::link(m_dir->filePath(u"elsewhere"_s), boom));

    MessageBoxWatcher watcher([this] { return countdownExists() ? u"present"_s : u"gone"_s; });
    const bool succeeded = guard([&] {
        scratch::write(path(scratch::CountdownFileName), assets::CountdownSound);
        scratch::write(boom, assets::BoomSound);
    });

    QVERIFY(!succeeded);
    QCOMPARE(watcher.seen.size(), 1);
    const MessageBoxWatcher::Seen &box = watcher.seen.first();
    QCOMPARE(box.title, u"KESTA"_s);
    const QString reason = QString::fromLocal8Bit(std::strerror(number));
    QCOMPARE(box.text, u"Error %1: %2: %3"_s.arg(number).arg(reason, boom));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, 1);
    QCOMPARE(box.replacedText, u"present"_s);
    QCOMPARE(m_exits, QList<int>{EXIT_FAILURE});
    QVERIFY(!m_countdownAtExit);
}

QTEST_MAIN(tst_FailureBox)
#include "tst_failurebox.moc"
