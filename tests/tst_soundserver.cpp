// SPDX-License-Identifier: MIT
#include "assetstore.h"
#include "audiooutput.h"
#include "deviceprobe.h"
#include "levelwav.h"
#include "player.h"
#include "programrun.h"
#include "pulseserver.h"
#include "scratchfiles.h"
#include "sinkrecorder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

// The sound layer against a real PulseAudio server of the test's own, heard
// through its sink's monitor. The server is stalled (SIGSTOP) and killed at
// the awkward moments; the interface thread must never wait for it, and the
// next sound once it is back must be heard on time. Figures go to the log.
class tst_SoundServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void playsThenLetsTheServerIdle();
    void streamNamedInTheMixer_data();
    void streamNamedInTheMixer();
    void stalledServerNeverBlocksPlay_data();
    void stalledServerNeverBlocksPlay();
    void lateSoundKeepsItsTime();
    void serverGoneAndBack_data();
    void serverGoneAndBack();
    void shutdownIsBoundedWhenStalled_data();
    void shutdownIsBoundedWhenStalled();

private:
    enum Moment { BeforeFirstSound, WhilePlaying, WhileIdle, WhenAsked };
    void reach(Moment moment);
    void verifyHeardOnTime(const char *what);
    QString writeWav(const QString &name, const QList<QPair<quint8, int>> &parts);

    QTemporaryDir m_dir;
    std::unique_ptr<PulseServer> m_server;
    SinkRecorder m_recorder;
    QString m_blip;
    QString m_tone;
    QString m_long;
    QStringList m_assets;
};

namespace {

constexpr int Rate = DeviceRate;
// An 8-bit level as the sink records it: (level - 128) * 256.
constexpr qint16 High = (200 - 128) * 256;
constexpr qint16 Low = (60 - 128) * 256;

// Where a run of `run` frames near `level` starts, from `from` on; -1 when nowhere.
qint64 findLevel(const std::vector<qint16> &heard, qint64 from, qint16 level, int run = 200)
{
    int length = 0;
    for (qint64 i = std::max<qint64>(from, 0); i < qint64(heard.size()); ++i) {
        length = qAbs(heard[size_t(i)] - level) <= 64 ? length + 1 : 0;
        if (length == run)
            return i + 1 - run;
    }
    return -1;
}

qint64 countLevel(const std::vector<qint16> &heard, qint16 level)
{
    return std::count_if(heard.begin(), heard.end(),
                         [level](qint16 v) { return qAbs(v - level) <= 64; });
}

// A sound heard later than this after its call waited for something: the
// second of silence that closes the device, the previous sound, a stopped
// server. How soon it is heard when nothing waits is bench_sound's figure,
// which a starved machine can stretch to half of this.
constexpr double HeardWithinMs = 900;
// A stop of the server lasts a second here: a play call, or the interface's
// timer, that waited for it would wait that long.
constexpr qint64 NeverWaitsMs = 500;

double ms(qint64 frames)
{
    return 1000.0 * double(frames) / Rate;
}

} // namespace

void tst_SoundServer::initTestCase()
{
    if (!PulseServer::available())
        QSKIP("needs pulseaudio and pulseaudio-utils");
    QVERIFY(m_dir.isValid());
    m_server = std::make_unique<PulseServer>();
    m_server->useInThisProcess();
    m_blip = writeWav(u"blip.wav"_s, {{200, 22050 / 10}});
    m_tone = writeWav(u"tone.wav"_s, {{200, 22050 / 2}});
    m_long = writeWav(u"long.wav"_s, {{200, 22050}, {60, 2 * 22050}});
    for (const SoundAsset &asset : SoundAssets) {
        m_assets << scratch::composePath(m_dir.path(), asset.sound);
        scratch::write(m_assets.last(), asset.sound);
    }
}

// The server and its recording run from test to test; a test that kills the
// server starts both again.
void tst_SoundServer::init()
{
    if (!m_server->isRunning())
        QVERIFY2(m_server->start(), qPrintable(m_server->log()));
    if (!m_recorder.isRunning())
        QVERIFY2(m_recorder.start(*m_server), "the sink's monitor cannot be recorded");
    // Every test starts with SDL's audio down, as a program that has played nothing.
    deviceprobe::closeOutput();
}

void tst_SoundServer::cleanup()
{
    m_server->resume();
    deviceprobe::closeOutput();
}

void tst_SoundServer::cleanupTestCase()
{
    m_recorder.stop();
    if (m_server)
        m_server->stop();
}

QString tst_SoundServer::writeWav(const QString &name, const QList<QPair<quint8, int>> &parts)
{
    return writeLevelWav(m_dir.filePath(name), parts);
}

void tst_SoundServer::reach(Moment moment)
{
    switch (moment) {
    case BeforeFirstSound:
    case WhenAsked:
        break;
    case WhilePlaying:
        player::play(m_long);
        QVERIFY2(waitUntil([this] { return m_server->runningStreams() > 0; }, 5000),
                 "no stream while a sound plays");
        break;
    case WhileIdle:
        player::play(m_blip);
        QVERIFY(waitUntil(deviceprobe::isOpen, 5000));
        QVERIFY2(waitUntil([] { return !deviceprobe::isOpen(); }, 5000),
                 "the device stayed open after the sound");
        break;
    }
}

// The tone, asked for now, is heard from its start within HeardWithinMs.
// The onset is counted in frames of the monitor from the frames received at
// the call, which is right to within the recorder's and the sink's latency
// of 5 to 10 ms either way.
void tst_SoundServer::verifyHeardOnTime(const char *what)
{
    const qint64 atCall = m_recorder.frames();
    player::play(m_tone);
    QTest::qWait(800);
    const std::vector<qint16> heard = m_recorder.heard();
    const qint64 onset = findLevel(heard, atCall - Rate / 20, High);
    QVERIFY2(onset >= 0, "the sound was not heard");
    qInfo("%s: heard %.1f ms after the call", what, ms(onset - atCall));
    QVERIFY2(ms(onset - atCall) < HeardWithinMs, qPrintable(QString::number(ms(onset - atCall))));
    const qint64 length = countLevel({heard.begin() + onset, heard.end()}, High);
    QVERIFY2(qAbs(ms(length) - 500) < 30, qPrintable(QString::number(ms(length))));
}

// A sound is heard within HeardWithinMs of the call, also when the device has
// closed after idling; a second one cuts it off; and once it has ended the
// stream goes away: the server's sink idles.
void tst_SoundServer::playsThenLetsTheServerIdle()
{
    const QString second = writeWav(u"second.wav"_s, {{60, 22050 / 2}});
    reach(WhileIdle);
    QCOMPARE(m_server->runningStreams(), 0);
    const qint64 firstCall = m_recorder.frames();
    player::play(m_tone);
    QVERIFY2(waitUntil([this] { return m_server->runningStreams() == 1; }, 2000),
             "no stream while the sound plays");
    QTest::qWait(400);
    const qint64 secondCall = m_recorder.frames();
    player::play(second);
    QTest::qWait(500);
    QElapsedTimer sinceEnd;
    sinceEnd.start();
    QVERIFY2(waitUntil([this] { return m_server->runningStreams() == 0; }, 5000),
             "the stream kept running after the sound");
    const qint64 idleAfter = sinceEnd.elapsed();
    QTest::qWait(300);
    const std::vector<qint16> heard = m_recorder.heard();

    const qint64 firstAt = findLevel(heard, firstCall - Rate / 20, High);
    const qint64 secondAt = findLevel(heard, secondCall - Rate / 20, Low);
    QVERIFY2(firstAt >= 0 && secondAt > firstAt, "the sounds were not heard in order");
    qInfo("heard after the call: %.1f ms with the device closed after idling, %.1f ms for a "
          "switch; stream gone %lld ms after the end",
          ms(firstAt - firstCall), ms(secondAt - secondCall), idleAfter);
    QVERIFY2(ms(firstAt - firstCall) < HeardWithinMs,
             qPrintable(QString::number(ms(firstAt - firstCall))));
    QVERIFY2(ms(secondAt - secondCall) < HeardWithinMs,
             qPrintable(QString::number(ms(secondAt - secondCall))));
    QVERIFY2(idleAfter < 3000, qPrintable(QString::number(idleAfter)));
    // The second sound plays whole, and nothing but silence follows it. A
    // starved machine may make the server insert silence into the sound
    // (an underrun); its samples still all come, so they are counted.
    qint64 end = secondAt;
    qint64 played = 0;
    for (qint64 at = secondAt; at < qint64(heard.size()); ++at) {
        const qint16 sample = heard[size_t(at)];
        if (qAbs(sample - Low) <= 64) {
            ++played;
            end = at + 1;
        } else if (sample != 0) {
            break;
        }
    }
    QVERIFY2(qAbs(ms(played) - 500) < 30, qPrintable(QString::number(ms(played))));
    const auto after =
        std::find_if(heard.begin() + end + 16, heard.end(), [](qint16 v) { return v != 0; });
    const auto stray = std::count_if(after, heard.end(), [](qint16 v) { return v != 0; });
    QVERIFY2(stray == 0,
             qPrintable(QStringLiteral("%1 samples not silent, the first %2 ms after the end (%3)")
                            .arg(stray)
                            .arg(ms(after - heard.begin() - end))
                            .arg(after == heard.end() ? 0 : *after)));
}

void tst_SoundServer::streamNamedInTheMixer_data()
{
    QTest::addColumn<QList<int>>("played");
    QTest::addColumn<QString>("mediaName");
    QTest::newRow("countdown") << QList<int>{0} << u"Countdown"_s;
    QTest::newRow("jungle call") << QList<int>{2} << u"Jungle call"_s;
    QTest::newRow("boom cutting off the countdown") << QList<int>{0, 1} << u"Boom"_s;
    QTest::newRow("a file of no sound of ours") << QList<int>{-1} << u"tone"_s;
}

// The desktop's volume mixer names the program, shows its icon and the role
// of its stream, and says which sound plays: also the one that cut another off.
void tst_SoundServer::streamNamedInTheMixer()
{
    QFETCH(QList<int>, played);
    QFETCH(QString, mediaName);

    std::optional<QString> inputs;
    for (const int sound : played) {
        player::play(sound < 0 ? m_tone : m_assets[sound]);
        QVERIFY2(waitUntil(
                     [&] {
                         inputs = m_server->pactl({u"list"_s, u"sink-inputs"_s});
                         return m_server->runningStreams() == 1 && inputs &&
                                inputs->contains(u"Corked: no"_s);
                     },
                     5000),
                 "no stream while the sound plays");
    }
    QVERIFY(waitUntil(
        [&] {
            inputs = m_server->pactl({u"list"_s, u"sink-inputs"_s});
            return inputs && inputs->contains(u"media.name = \"%1\""_s.arg(mediaName));
        },
        5000));
    const QString listed = inputs.value_or(QString());
    for (const QString &property :
         {u"application.name = \"Vantory Orbital Laser\""_s,
          u"application.icon_name = \"io.github.vantory.laser\""_s, u"media.role = \"game\""_s})
        QVERIFY2(listed.contains(property), qPrintable(listed));
    QCOMPARE(listed.count(u"Sink Input #"_s), 1);
}

void tst_SoundServer::stalledServerNeverBlocksPlay_data()
{
    QTest::addColumn<int>("moment");
    QTest::newRow("stopped before the first sound") << int(BeforeFirstSound);
    QTest::newRow("stopped while a sound plays") << int(WhilePlaying);
    QTest::newRow("stopped while the device idles") << int(WhileIdle);
}

// Countdown, boom and jungle asked for again and again while the server is
// stopped: each call returns at once and a 10 ms timer, standing for the
// interface, keeps ticking. Once the server goes on, so does the sound.
void tst_SoundServer::stalledServerNeverBlocksPlay()
{
    QFETCH(int, moment);
    reach(Moment(moment));
    m_server->pause();

    QTimer ticker;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    connect(&ticker, &QTimer::timeout, this, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    clock.start();
    ticker.start(10);
    QList<qint64> microseconds;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer call;
        call.start();
        player::play(m_assets[i % 3]);
        microseconds << call.nsecsElapsed() / 1000;
        QTest::qWait(100);
    }
    ticker.stop();
    m_server->resume();

    std::ranges::sort(microseconds);
    qInfo("play with a stopped server: median %lld us, slowest %lld us; longest timer gap %lld ms",
          microseconds[microseconds.size() / 2], microseconds.last(), longestGap);
    QVERIFY2(microseconds.last() < NeverWaitsMs * 1000,
             qPrintable(QString::number(microseconds.last())));
    QVERIFY2(longestGap < NeverWaitsMs, qPrintable(QString::number(longestGap)));
    QTest::qWait(300);
    verifyHeardOnTime("after the server went on");
}

// A sound asked for while the server is stopped starts, once it goes on,
// where it would be by then: it ends on time instead of playing late.
void tst_SoundServer::lateSoundKeepsItsTime()
{
    reach(WhileIdle);
    const qint64 atCall = m_recorder.frames();
    m_server->pause();
    player::play(m_long);
    QTest::qWait(1500);
    m_server->resume();
    QTest::qWait(2500);
    const std::vector<qint16> heard = m_recorder.heard();
    const std::vector<qint16> after(heard.begin() + atCall, heard.end());

    // One second high, then two low: the high part was due while the server was stopped.
    QCOMPARE(findLevel(after, 0, High), -1);
    const double low = ms(countLevel(after, Low));
    qInfo("heard %.0f ms of the sound's last 2000 ms after 1500 ms stopped", low);
    QVERIFY2(low > 800 && low < 1600, qPrintable(QString::number(low)));
}

void tst_SoundServer::serverGoneAndBack_data()
{
    QTest::addColumn<int>("moment");
    QTest::newRow("killed while a sound plays") << int(WhilePlaying);
    QTest::newRow("killed while the device idles") << int(WhileIdle);
    QTest::newRow("away when a sound is asked for") << int(WhenAsked);
}

// The server is killed and started again: nothing hangs or crashes, and the
// first sound asked for afterwards is heard on time.
void tst_SoundServer::serverGoneAndBack()
{
    QFETCH(int, moment);
    reach(Moment(moment));
    m_server->stop();
    if (moment == WhenAsked) {
        QElapsedTimer call;
        call.start();
        player::play(m_tone);
        QVERIFY2(call.elapsed() < 50, qPrintable(QString::number(call.elapsed())));
    }
    QTest::qWait(500);
    QVERIFY2(m_server->start(), qPrintable(m_server->log()));
    QVERIFY2(m_recorder.start(*m_server), "the sink's monitor cannot be recorded");
    verifyHeardOnTime("first sound after a restart");
}

void tst_SoundServer::shutdownIsBoundedWhenStalled_data()
{
    stalledServerNeverBlocksPlay_data();
}

// At the program's end the device gets a bounded time to close. With the
// server stopped it may not manage: the thread finishes closing once the
// server goes on, and the next sound opens the device again.
void tst_SoundServer::shutdownIsBoundedWhenStalled()
{
    QFETCH(int, moment);
    reach(Moment(moment));
    m_server->pause();
    if (moment == BeforeFirstSound)
        player::play(m_tone);
    QTest::qWait(200);

    QElapsedTimer clock;
    clock.start();
    const bool closed = AudioOutput::instance().close(AudioOutput::ExitWait);
    const qint64 took = clock.elapsed();
    qInfo("shutdown with a stopped server: %s after %lld ms", closed ? "closed" : "left behind",
          took);
    QVERIFY2(took < 1000, qPrintable(QString::number(took)));
    if (moment != WhileIdle)
        QVERIFY(!closed);

    m_server->resume();
    QVERIFY2(deviceprobe::closeOutput(), "the sound thread stayed in the server after it went on");
    verifyHeardOnTime("after the bounded shutdown");
}

QTEST_GUILESS_MAIN(tst_SoundServer)
#include "tst_soundserver.moc"
