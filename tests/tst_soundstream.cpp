// SPDX-License-Identifier: MIT
#include "levelwav.h"
#include "soundstream.h"

#include <QTest>

#include <algorithm>

// The conversion of one WAV file to the device's format, piece by piece.
class tst_SoundStream : public QObject {
    Q_OBJECT

private slots:
    void skipStartsPartWay_data();
    void skipStartsPartWay();
};

namespace {

bool isHigh(qint16 v)
{
    return v > 1000;
}

bool isLow(qint16 v)
{
    return v < -1000;
}

} // namespace

void tst_SoundStream::skipStartsPartWay_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("highMs");
    QTest::addColumn<double>("lowMs");

    QTest::newRow("nothing skipped") << 0.0 << 1000.0 << 1000.0;
    QTest::newRow("into the first half") << 0.25 << 750.0 << 1000.0;
    QTest::newRow("into the second half") << 1.5 << 0.0 << 500.0;
    QTest::newRow("past the end") << 3.0 << 0.0 << 0.0;
}

// A sound started late begins where it would be by then, and ends on time.
void tst_SoundStream::skipStartsPartWay()
{
    QFETCH(double, seconds);
    QFETCH(double, highMs);
    QFETCH(double, lowMs);

    const auto sound =
        SoundStream::fromWav(levelWav({{200, 22050}, {60, 22050}}), AUDIO_S16SYS, 1, 44100);
    QVERIFY(sound);
    QCOMPARE(sound->skip(seconds), highMs + lowMs > 0);
    std::vector<qint16> piece(512);
    qint64 high = 0, low = 0;
    for (;;) {
        const int got = sound->read(reinterpret_cast<unsigned char *>(piece.data()), 1024);
        high += std::count_if(piece.begin(), piece.begin() + got / 2, isHigh);
        low += std::count_if(piece.begin(), piece.begin() + got / 2, isLow);
        if (got < 1024)
            break;
    }
    QVERIFY2(qAbs(1000.0 * double(high) / 44100 - highMs) < 1, qPrintable(QString::number(high)));
    QVERIFY2(qAbs(1000.0 * double(low) / 44100 - lowMs) < 1, qPrintable(QString::number(low)));
}

QTEST_GUILESS_MAIN(tst_SoundStream)
#include "tst_soundstream.moc"
