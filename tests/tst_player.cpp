// SPDX-License-Identifier: MIT
#include "assetstore.h"
#include "deviceprobe.h"
#include "levelwav.h"
#include "player.h"
#include "scratchfiles.h"
#include "soundconstants.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <SDL.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// Playback is recorded through SDL's disk driver, in the sounds' own 8-bit
// format, widened here to 16 bits. Positions are counted in frames of the
// recorded stream: the driver paces itself with whole-millisecond sleeps and
// writes through a buffer, so neither wall time nor the file's size says when
// a frame reached the device. A sound started while the device had taken n
// frames from its queue can at best be heard once those have played; it must
// start at stream position n, or one buffer later if the device raced the call.
class tst_Player : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void secondPlayCutsOffFirst_data();
    void secondPlayCutsOffFirst();
    void sameSoundAgainRestarts();
    void unplayableGivesAlertTone_data();
    void unplayableGivesAlertTone();
    void embeddedSoundPlaysWhole();
    void idleDeviceClosesAndOpensAgain();
    void noDeviceReturnsAtOnce_data();
    void noDeviceReturnsAtOnce();

private:
    using Recording = deviceprobe::Recording;

    void startRecording();
    Recording stopRecording();
    QString writeWav(const QString &name, quint8 level, int frames);
    static int rate() { return deviceprobe::format().freq; }
    static qint64 find(const Recording &recording, qint64 from, bool (*match)(qint16));
    static double boundMs(qint64 startFrame, qint64 deliveredAtCall);

    QTemporaryDir m_dir;
    QString m_streamFile;
    QString m_silence;
};

namespace {

constexpr qint16 Level = 1000;
// A sound starts within a buffer or two of its call on a quiet machine
// (bench_sound measures it); a busy one can hold the sound thread back a few
// hundred milliseconds, while one queued behind the sound it should cut off
// comes seconds late.
constexpr double OnTime = 300;
// The device closes after about a second of silence; one that stays open is
// the fault, however busy the machine.
constexpr qint64 ClosesWithin = 8000;
constexpr auto loud = [](qint16 v) { return v > Level || v < -Level; };
constexpr auto positive = [](qint16 v) { return v > Level; };
constexpr auto negative = [](qint16 v) { return v < -Level; };
constexpr auto nonSilent = [](qint16 v) { return v != 0; };

} // namespace

void tst_Player::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_streamFile = m_dir.filePath(u"stream.raw"_s);
    m_silence = writeWav(u"silence.wav"_s, 128, 1);
}

// The device is left playing on purpose: the end of the process must close it.
void tst_Player::cleanupTestCase()
{
    startRecording();
    player::play(writeWav(u"last.wav"_s, 200, 22050));
}

// The device opens for a moment of silence, in the format of every sound here.
void tst_Player::startRecording()
{
    deviceprobe::closeOutput();
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_streamFile));
    player::play(m_silence);
    QVERIFY(QTest::qWaitFor(deviceprobe::isOpen, 10000));
    const SDL_AudioSpec format = deviceprobe::format();
    QCOMPARE(format.format, SDL_AudioFormat(AUDIO_U8));
    QCOMPARE(format.freq, 22050);
    QCOMPARE(int(format.channels), 1);
    QVERIFY2(format.samples * 1000 / format.freq < 30, "device buffer too long");
    QTest::qWait(60);
}

tst_Player::Recording tst_Player::stopRecording()
{
    deviceprobe::closeOutput();
    return deviceprobe::recording(m_streamFile);
}

QString tst_Player::writeWav(const QString &name, quint8 level, int frames)
{
    return writeLevelWav(m_dir.filePath(name), {{level, frames}});
}

qint64 tst_Player::find(const Recording &recording, qint64 from, bool (*match)(qint16))
{
    for (qint64 i = qMax<qint64>(from, 0); i < qint64(recording.frames.size()); ++i) {
        if (match(recording.frames[size_t(i)]))
            return i;
    }
    return -1;
}

double tst_Player::boundMs(qint64 startFrame, qint64 deliveredAtCall)
{
    const SDL_AudioSpec format = deviceprobe::format();
    return 1000.0 * double(startFrame - deliveredAtCall + format.samples) / format.freq;
}

void tst_Player::secondPlayCutsOffFirst_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<bool>("closedFirst");

    QTest::newRow("a sound cut off 300 ms in") << 300 << false;
    QTest::newRow("two plays within one buffer") << 0 << false;
    QTest::newRow("two plays while the device opens") << 0 << true;
}

// The newest sound plays from its start, whole, and nothing of the one before
// comes after it. A first sound cut off late plays unbroken up to the switch.
void tst_Player::secondPlayCutsOffFirst()
{
    QFETCH(int, gapMs);
    QFETCH(bool, closedFirst);

    const QString first = writeWav(u"first.wav"_s, 200, 2 * 22050);
    const QString second = writeWav(u"second.wav"_s, 60, 22050 / 2);
    startRecording();
    if (closedFirst)
        deviceprobe::closeOutput();
    const auto firstCall = closedFirst ? 0 : qint64(deviceprobe::framesDelivered());
    player::play(first);
    QTest::qWait(gapMs);
    const auto secondCall = closedFirst ? 0 : qint64(deviceprobe::framesDelivered());
    player::play(second);
    QTest::qWait(800);
    const Recording rec = stopRecording();

    QCOMPARE(rec.offset % deviceprobe::format().samples, 0);
    const qint64 firstStart = find(rec, 0, positive);
    const qint64 secondStart = find(rec, 0, negative);
    QVERIFY(secondStart >= rec.offset + secondCall);
    QVERIFY2(boundMs(secondStart, rec.offset + secondCall) <= OnTime,
             qPrintable(QString::number(boundMs(secondStart, rec.offset + secondCall))));
    const qint64 edge = 16;
    QCOMPARE(find(rec, secondStart + edge, positive), -1);
    const qint64 secondLength =
        std::count_if(rec.frames.begin() + secondStart, rec.frames.end(), negative);
    QVERIFY2(qAbs(secondLength - rate() / 2) <= 2 * edge,
             qPrintable(QString::number(secondLength)));
    if (gapMs == 0)
        return;
    QVERIFY(firstStart >= rec.offset + firstCall);
    QVERIFY2(boundMs(firstStart, rec.offset + firstCall) <= OnTime,
             qPrintable(QString::number(boundMs(firstStart, rec.offset + firstCall))));
    for (qint64 i = firstStart + edge; i < secondStart - edge; ++i)
        QVERIFY2(positive(rec.frames[size_t(i)]), qPrintable(QString::number(i)));
}

void tst_Player::sameSoundAgainRestarts()
{
    const QString path = writeWav(u"again.wav"_s, 220, 22050 / 2);
    startRecording();
    player::play(path);
    QTest::qWait(300);
    const auto call = qint64(deviceprobe::framesDelivered());
    player::play(path);
    QTest::qWait(700);
    const Recording rec = stopRecording();

    qint64 last = qint64(rec.frames.size()) - 1;
    while (last >= 0 && !loud(rec.frames[size_t(last)]))
        --last;
    // Played again from its start, the sound ends its full length after the call.
    const qint64 restartedAt = last + 1 - rate() / 2;
    QVERIFY2(restartedAt >= rec.offset + call - 16, qPrintable(QString::number(restartedAt)));
    QVERIFY2(boundMs(restartedAt, rec.offset + call) <= OnTime,
             qPrintable(QString::number(boundMs(restartedAt, rec.offset + call))));
}

void tst_Player::unplayableGivesAlertTone_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("missing file") << u"missing"_s;
    QTest::newRow("empty file") << u"empty"_s;
    QTest::newRow("text file") << u"text"_s;
    QTest::newRow("WAV cut off in its header") << u"truncated"_s;
    QTest::newRow("FIFO, no writer") << u"fifo"_s;
    QTest::newRow("folder") << u"folder"_s;
}

void tst_Player::unplayableGivesAlertTone()
{
    QFETCH(QString, kind);

    const QString path = m_dir.filePath(u"unplayable-"_s + kind);
    QFile::remove(path);
    QDir(path).removeRecursively();
    QFile file(path);
    if (kind == u"empty")
        QVERIFY(file.open(QIODevice::WriteOnly));
    else if (kind == u"text")
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a sound\n") > 0);
    else if (kind == u"truncated")
        QVERIFY(QFile::copy(writeWav(u"whole.wav"_s, 200, 1000), path) && file.resize(30));
    else if (kind == u"fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == u"folder")
        QVERIFY(QDir().mkdir(path));
    file.close();

    startRecording();
    const auto call = qint64(deviceprobe::framesDelivered());
    QElapsedTimer clock;
    clock.start();
    player::play(path);
    QVERIFY(clock.elapsed() < 100);
    QTest::qWait(400);
    const Recording rec = stopRecording();

    const qint64 start = find(rec, 0, nonSilent);
    QVERIFY(start >= 0);
    QVERIFY(boundMs(start, rec.offset + call) <= OnTime);
    auto end = qint64(rec.frames.size());
    while (end > start && rec.frames[size_t(end - 1)] == 0)
        --end;
    const int rate = deviceprobe::format().freq;
    const double ms = 1000.0 * double(end - start) / rate;
    QVERIFY2(qAbs(ms - kAlertMilliseconds) < 5, qPrintable(QString::number(ms)));
    int crossings = 0;
    for (qint64 i = start + 1; i < end; ++i)
        crossings += (rec.frames[size_t(i - 1)] < 0) != (rec.frames[size_t(i)] < 0);
    const double hz = crossings / 2.0 / (ms / 1000.0);
    QVERIFY2(qAbs(hz - kAlertFrequency) < kAlertFrequency * 0.05, qPrintable(QString::number(hz)));
}

// The jungle sound as the result window plays it: written to its scratch file
// and played from there, all of it, through the conversion to the device.
void tst_Player::embeddedSoundPlaysWhole()
{
    const QByteArray asset = assets::lookup(Sound::Jungle);
    qsizetype first = 58, last = asset.size() - 1;
    while (first < asset.size() && quint8(asset[first]) == 128)
        ++first;
    while (last > first && quint8(asset[last]) == 128)
        --last;
    const QString path = scratch::composePath(m_dir.path(), Sound::Jungle);
    scratch::write(path, Sound::Jungle);

    startRecording();
    const auto call = qint64(deviceprobe::framesDelivered());
    player::play(path);
    QTest::qWait(1700);
    const Recording rec = stopRecording();

    const qint64 start = find(rec, 0, nonSilent);
    qint64 end = qint64(rec.frames.size()) - 1;
    while (end > start && rec.frames[size_t(end)] == 0)
        --end;
    const int rate = deviceprobe::format().freq;
    QVERIFY(start >= 0);
    QVERIFY(boundMs(start - (first - 58) * rate / 22050, rec.offset + call) <= OnTime);
    const double expected = double(last - first) * rate / 22050;
    QVERIFY2(qAbs(double(end - start) - expected) <= 16,
             qPrintable(u"%1 frames, expected %2"_s.arg(end - start).arg(expected)));
}

// After a second of silence the device closes, so that a sound server or the
// hardware can idle; the next sound opens it again and starts within a buffer.
// The disk driver starts its file afresh at every opening.
void tst_Player::idleDeviceClosesAndOpensAgain()
{
    const QString blip = writeWav(u"blip.wav"_s, 200, 22050 / 10);
    startRecording();
    player::play(blip);
    QElapsedTimer clock;
    clock.start();
    while (deviceprobe::isOpen() && clock.elapsed() < ClosesWithin)
        QTest::qWait(10);
    const qint64 closedAfter = clock.elapsed();
    QVERIFY2(closedAfter > 900 && closedAfter < ClosesWithin,
             qPrintable(QString::number(closedAfter)));
    const Recording idle = deviceprobe::recording(m_streamFile);
    qint64 last = qint64(idle.frames.size()) - 1;
    while (last >= 0 && !loud(idle.frames[size_t(last)]))
        --last;
    const int rate = deviceprobe::format().freq;
    QVERIFY(last > 0);
    const double silentMs = 1000.0 * double(qint64(idle.frames.size()) - last) / rate;
    QVERIFY2(silentMs >= 1000 && silentMs < ClosesWithin, qPrintable(QString::number(silentMs)));

    player::play(blip);
    QTest::qWait(300);
    QVERIFY(deviceprobe::isOpen());
    const Recording again = stopRecording();
    const qint64 start = find(again, 0, loud);
    QVERIFY(start >= 0);
    QVERIFY2(boundMs(start, again.offset) <= OnTime,
             qPrintable(QString::number(boundMs(start, again.offset))));
}

void tst_Player::noDeviceReturnsAtOnce_data()
{
    QTest::addColumn<QByteArray>("driver");
    QTest::addColumn<QByteArray>("diskFile");

    QTest::newRow("unknown driver") << "no-such-driver"_ba << QByteArray();
    QTest::newRow("device cannot open") << "disk"_ba
                                        << "/nonexistent/dir/stream.raw"_ba;
    QTest::newRow("ALSA without a sound card") << "alsa"_ba << QByteArray();
}

void tst_Player::noDeviceReturnsAtOnce()
{
    QFETCH(QByteArray, driver);
    QFETCH(QByteArray, diskFile);

    deviceprobe::closeOutput();
    qputenv("SDL_AUDIODRIVER", driver);
    qputenv("SDL_DISKAUDIOFILE", diskFile);
    const int startsBefore = deviceprobe::audioStarts();
    const int openedBefore = deviceprobe::opened();
    const QString sound = writeWav(u"quiet.wav"_s, 200, 22050);
    const QString missing = m_dir.filePath(u"absent.wav"_s);

    // Whatever the driver prints goes to a file, to prove that it prints nothing.
    const QString errors = m_dir.filePath(u"stderr.txt"_s);
    const int savedStderr = ::dup(2);
    const int errorFile =
        ::open(QFile::encodeName(errors).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(errorFile, 2);
    QElapsedTimer clock;
    QList<qint64> microseconds;
    for (int i = 0; i < 20; ++i) {
        clock.start();
        player::play(i % 2 ? missing : sound);
        microseconds << clock.nsecsElapsed() / 1000;
    }
    // The device is tried on the sound thread: wait until it has started SDL's
    // audio for these calls and is done with them before looking.
    const bool tried =
        QTest::qWaitFor([&] { return deviceprobe::audioStarts() > startsBefore; }, 10000) &&
        deviceprobe::closeOutput();
    ::dup2(savedStderr, 2);
    ::close(savedStderr);
    ::close(errorFile);

    if (deviceprobe::opened() > openedBefore)
        QSKIP("a sound device is present");
    QVERIFY(tried);
    QVERIFY2(microseconds.first() < 100000, qPrintable(QString::number(microseconds.first())));
    const qint64 slowest = *std::max_element(microseconds.begin() + 1, microseconds.end());
    QVERIFY2(slowest < 5000, qPrintable(QString::number(slowest)));
    QFile log(errors);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray printed = log.readAll();
    QVERIFY2(!printed.contains("ALSA"), printed.constData());
}

QTEST_GUILESS_MAIN(tst_Player)
#include "tst_player.moc"
