// SPDX-License-Identifier: MIT
#include "audiofeed.h"
#include "levelwav.h"
#include "soundstream.h"

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <thread>

// What the device callback plays, with the callback run by hand or, as the
// device runs it, on a thread of its own beside the audio thread's offers.
class tst_AudioFeed : public QObject {
    Q_OBJECT

private slots:
    void newestSoundPlays_data();
    void newestSoundPlays();
    void soundOutlivesItsLastRead();
};

namespace {

constexpr int Rate = 44100;
constexpr int PieceFrames = 512;
// Frames where a level starts or ends that the resampler may overshoot.
constexpr int Ringing = 16;

// 8-bit level l plays as (l - 128) * 256, give or take the resampler.
qint16 played(quint8 level)
{
    return qint16((level - 128) * 256);
}

bool near(qint16 sample, quint8 level)
{
    return qAbs(sample - played(level)) <= 512;
}

std::unique_ptr<SoundStream> sound(quint8 level, int frames)
{
    return SoundStream::fromWav(levelWav({{level, frames}}), AUDIO_S16SYS, 1, Rate);
}

std::vector<qint16> fillPiece(AudioFeed &feed)
{
    std::vector<qint16> piece(PieceFrames, 1);
    AudioFeed::fill(&feed, reinterpret_cast<unsigned char *>(piece.data()),
                    int(piece.size() * sizeof(qint16)));
    return piece;
}

} // namespace

void tst_AudioFeed::newestSoundPlays_data()
{
    QTest::addColumn<QList<quint8>>("offers");
    QTest::addColumn<bool>("fillBetween");
    QTest::addColumn<quint8>("heard");

    QTest::newRow("one sound") << QList<quint8>{200} << false << quint8(200);
    QTest::newRow("two offers before a callback: the newer")
        << QList<quint8>{200, 60} << false << quint8(60);
    QTest::newRow("a sound cut off by the next") << QList<quint8>{200, 60} << true << quint8(60);
    QTest::newRow("three, each cut off") << QList<quint8>{200, 60, 230} << true << quint8(230);
}

// The newest sound offered is heard from its start; once it ends, silence,
// counted as idle, follows within the same callback. The resampler rings for
// a few frames where a level starts or ends, so those are not compared.
void tst_AudioFeed::newestSoundPlays()
{
    QFETCH(QList<quint8>, offers);
    QFETCH(bool, fillBetween);
    QFETCH(quint8, heard);

    const auto isHeard = [&](qint16 v) { return near(v, heard); };
    AudioFeed feed;
    feed.reset(2, 0);
    for (const quint8 level : offers) {
        feed.offer(sound(level, 22050));
        if (fillBetween)
            QVERIFY(near(fillPiece(feed)[Ringing], level));
    }
    const quint64 before = feed.framesDelivered();
    const std::vector<qint16> piece = fillPiece(feed);
    QVERIFY2(std::all_of(piece.begin() + Ringing, piece.end(), isHeard),
             qPrintable(QString::number(piece[Ringing])));
    QCOMPARE(feed.framesDelivered(), before + PieceFrames);
    QCOMPARE(feed.idleFrames(), quint64(0));

    // 22050 source frames are 44100 device frames: the last piece is part sound, part silence.
    std::vector<qint16> last;
    for (int i = fillBetween ? 2 : 1; i * PieceFrames < Rate; ++i)
        last = fillPiece(feed);
    const int tail = Rate % PieceFrames;
    QVERIFY(std::all_of(last.begin(), last.begin() + tail - Ringing, isHeard));
    QVERIFY(std::all_of(last.begin() + tail, last.end(), [](qint16 v) { return v == 0; }));
    QCOMPARE(feed.idleFrames(), quint64(PieceFrames - tail));
    const std::vector<qint16> after = fillPiece(feed);
    QVERIFY(std::all_of(after.begin(), after.end(), [](qint16 v) { return v == 0; }));
    QCOMPARE(feed.idleFrames(), quint64(2 * PieceFrames - tail));
}

// The device thread reads a sound while the audio thread offers the next one
// and frees those the callback has let go of. A sound must never be freed
// while the callback may still read it: such a read crashes the test, or
// stops it under the address sanitizer.
void tst_AudioFeed::soundOutlivesItsLastRead()
{
    constexpr quint8 Levels[] = {200, 60, 230, 30};
    AudioFeed feed;
    feed.reset(2, 0);
    std::atomic<bool> stop{false};
    std::atomic<qint64> pieces{0};
    std::atomic<qint64> switches{0};
    std::thread device([&] {
        qint16 previous = 0;
        while (!stop.load()) {
            const qint16 v = fillPiece(feed)[Ringing];
            if (qAbs(v - previous) > 4096)
                switches.fetch_add(1);
            previous = v;
            pieces.fetch_add(1);
        }
    });

    // Offers come as fast as the audio thread could make them, each heard
    // for a piece or two, with the periodic collection between them.
    QElapsedTimer clock;
    clock.start();
    int offers = 0;
    while (clock.elapsed() < 1500) {
        feed.offer(sound(Levels[offers % 4], 22050));
        ++offers;
        const qint64 seen = pieces.load();
        while (pieces.load() < seen + 2 && clock.elapsed() < 1500)
            std::this_thread::yield();
        feed.collect();
    }
    stop.store(true);
    device.join();
    qInfo("%d offers, %lld changes of sound heard in %lld callbacks", offers, switches.load(),
          pieces.load());
    // The callback really went from sound to sound while they were offered and freed.
    QVERIFY2(switches.load() > 100, qPrintable(QString::number(switches.load())));
}

QTEST_GUILESS_MAIN(tst_AudioFeed)
#include "tst_audiofeed.moc"
