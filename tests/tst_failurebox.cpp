// SPDX-License-Identifier: MIT
#include "assetstore.h"
#include "ending.h"
#include "failure.h"
#include "failurebox.h"
#include "messageboxwatcher.h"
#include "scratchfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// The lines of text, wrapped as a word-wrapping label wraps them at width,
// that are still wider than width.
QStringList linesWiderThan(const QString &text, const QFont &font, int width)
{
    QStringList wide;
    for (const QString &paragraph : text.split(u'\n')) {
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            if (line.naturalTextWidth() > width)
                wide << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return wide;
}

} // namespace

class tst_FailureBox : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void unhandledWriteFailure_data();
    void unhandledWriteFailure();
    void longPathWraps_data();
    void longPathWraps();

private:
    bool countdownExists() const
    {
        return QFileInfo::exists(path(scratch::fileName(Sound::Countdown)));
    }
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
    ending::setCleanUp(scratch::deleteAll);
    installFailureBox([this](int status) {
        m_exits << status;
        m_countdownAtExit = countdownExists();
    });
}

void tst_FailureBox::cleanup()
{
    setFailureReport({});
    ending::setCleanUp(nullptr);
    m_exits.clear();
    m_dir.reset();
}

void tst_FailureBox::unhandledWriteFailure_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("found");

    QTest::newRow("folder missing") << u"missing"_s << ENOENT << QString();
    QTest::newRow("folder in the way") << u"folder"_s << EISDIR << QString();
    QTest::newRow("planted symlink")
        << u"link"_s << ELOOP << u"A symbolic link is in the way of the scratch file"_s;
    QTest::newRow("planted FIFO")
        << u"fifo"_s << EINVAL
        << u"A special file (a FIFO, socket or device) is in the way of the scratch file"_s;
}

// As the console's load does it: the countdown file is written, the boom file
// cannot be; the user sees the box, then no scratch file is left and the
// program ends with a failure status.
void tst_FailureBox::unhandledWriteFailure()
{
    QFETCH(QString, obstacle);
    QFETCH(int, number);
    QFETCH(QString, found);

    QString boom = path(scratch::fileName(Sound::Boom));
    if (obstacle == u"missing")
        boom = scratch::composePath(m_dir->filePath(u"gone"_s), Sound::Boom);
    else if (obstacle == u"folder")
        QVERIFY(QDir().mkdir(boom));
    else if (obstacle == u"fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(boom).constData(), 0600), 0);
    else
        QVERIFY(QFile::link(m_dir->filePath(u"elsewhere"_s), boom));

    MessageBoxWatcher watcher([this] { return countdownExists() ? u"present"_s : u"gone"_s; });
    const bool succeeded = guard([&] {
        scratch::write(path(scratch::fileName(Sound::Countdown)), Sound::Countdown);
        scratch::write(boom, Sound::Boom);
    });

    QVERIFY(!succeeded);
    QCOMPARE(watcher.seen.size(), 1);
    const MessageBoxWatcher::Seen &box = watcher.seen.first();
    QCOMPARE(box.title, u"KESTA"_s);
    const QString reason = found.isEmpty() ? QString::fromLocal8Bit(std::strerror(number)) : found;
    QCOMPARE(box.text, u"Error %1: %2: %3"_s.arg(number).arg(reason, boom));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, 1);
    QCOMPARE(box.replacedText, u"present"_s);
    QCOMPARE(m_exits, QList<int>{EXIT_FAILURE});
    QVERIFY(!m_countdownAtExit);
}

void tst_FailureBox::longPathWraps_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("elided");
    QTest::addColumn<int>("number");

    QTest::newRow("one name of 250 letters")
        << u"/nowhere/a-folder/"_s + QString(250, u'x') + u"/deeper"_s << false << ENOENT;
    QTest::newRow("many short names")
        << u"/nowhere"_s + u"/abcdefghij"_s.repeated(27) << false << ENOENT;
    QTest::newRow("long names with blanks")
        << u"/nowhere/"_s + (QString(90, u'y') + u" "_s).repeated(3) << false << ENOENT;
    QTest::newRow("TEMP of 4,090 characters")
        << u"/nowhere"_s + u"/abcdefghi"_s.repeated(408) + u"/x"_s << true << ENAMETOOLONG;
}

// A path longer than the screen is wide is wrapped inside the box, so the
// whole of it can be read; no line runs past the box's edge or the screen's.
// One so long that the box would be taller than the screen loses its middle
// to an ellipsis, keeping the sentence and the file's name, and the whole
// path is in the box's details.
void tst_FailureBox::longPathWraps()
{
    QFETCH(QString, folder);
    QFETCH(bool, elided);
    QFETCH(int, number);
    const QString file = scratch::composePath(folder, Sound::Countdown);
    QVERIFY(file.size() >= 300);

    QRect frame;
    QRect screen;
    QStringList overlong;
    QString details;
    MessageBoxWatcher watcher([&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        details = box->detailedText();
        frame = box->frameGeometry();
        screen = box->screen()->availableGeometry();
        auto *label = box->findChild<QLabel *>(u"qt_msgbox_label"_s);
        overlong = linesWiderThan(label->text(), label->font(), label->contentsRect().width());
        return box->text();
    });
    QVERIFY(!guard([&] { scratch::write(file, Sound::Countdown); }));

    QCOMPARE(watcher.seen.size(), 1);
    const QString shown = watcher.seen.first().text.remove(QChar(0x200b));
    const QString sentence =
        u"Error %1: %2: "_s.arg(number).arg(QString::fromLocal8Bit(std::strerror(number)));
    QVERIFY2(shown.startsWith(sentence), qPrintable(shown));
    const QString shownPath = shown.mid(sentence.size());
    if (elided) {
        QCOMPARE(details, file);
        const qsizetype cut = shownPath.indexOf(QChar(0x2026));
        QVERIFY2(cut > 0 && file.startsWith(shownPath.left(cut)) &&
                     file.endsWith(shownPath.mid(cut + 1)),
                 qPrintable(shownPath));
        QVERIFY(shownPath.endsWith(scratch::fileName(Sound::Countdown).mid(1)));
    } else {
        QCOMPARE(shownPath, file);
        QVERIFY(details.isEmpty());
    }
    QVERIFY2(
        screen.contains(frame),
        qPrintable(
            u"%1,%2 %3x%4"_s.arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
    QVERIFY2(overlong.isEmpty(), qPrintable(overlong.join(u'\n')));
}

QTEST_MAIN(tst_FailureBox)
#include "tst_failurebox.moc"
