// SPDX-License-Identifier: MIT
#include "assetstore.h"
#include "failure.h"
#include "littleendian.h"

#include <QTest>

#include <SDL.h>

#include <algorithm>
#include <cerrno>

using namespace Qt::StringLiterals;

class tst_AssetStore : public QObject {
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void sdlReadsChunksByTheirLengths_data();
    void sdlReadsChunksByTheirLengths();
    void unknownAsset_data();
    void unknownAsset();

private:
    static void addSoundRows();
};

namespace {

constexpr int DataOffset = 58;

} // namespace

void tst_AssetStore::addSoundRows()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("formLength");
    QTest::addColumn<int>("cbSize");
    QTest::addColumn<int>("samples");

    QTest::newRow("countdown") << 101 << 360460 << 360452 << 40 << 360402;
    QTest::newRow("boom") << 102 << 114220 << 114210 << 40 << 114159;
    QTest::newRow("jungle") << 104 << 33136 << 33128 << 469 << 33078;
}

void tst_AssetStore::layout_data()
{
    addSoundRows();
}

void tst_AssetStore::layout()
{
    QFETCH(int, id);
    QFETCH(int, length);
    QFETCH(int, formLength);
    QFETCH(int, cbSize);
    QFETCH(int, samples);

    const QByteArray wav = assets::lookup(u"CUSTOM"_s, id);
    QCOMPARE(wav.size(), length);
    QCOMPARE(wav.mid(0, 4), "RIFF"_ba);
    QCOMPARE(u32(wav, 4), quint32(formLength));
    QCOMPARE(wav.mid(8, 4), "WAVE"_ba);
    QCOMPARE(wav.mid(12, 4), "fmt "_ba);
    QCOMPARE(u32(wav, 16), 18u);
    QCOMPARE(u16(wav, 20), 1u);
    QCOMPARE(u16(wav, 22), 1u);
    QCOMPARE(u32(wav, 24), 22050u);
    QCOMPARE(u32(wav, 28), 22050u);
    QCOMPARE(u16(wav, 32), 1u);
    QCOMPARE(u16(wav, 34), 8u);
    QCOMPARE(u16(wav, 36), quint16(cbSize));
    QCOMPARE(wav.mid(38, 4), "fact"_ba);
    QCOMPARE(u32(wav, 42), 4u);
    QCOMPARE(u32(wav, 46), quint32(samples));
    QCOMPARE(wav.mid(50, 4), "data"_ba);
    QCOMPARE(u32(wav, 54), quint32(samples));

    // An odd sample count is padded to an even one inside the form; what
    // follows the form is part of the asset too and is all zeros.
    const int pad = samples & 1;
    QCOMPARE(DataOffset + samples + pad, 8 + formLength);
    const QByteArray after = wav.mid(DataOffset + samples);
    QCOMPARE(after, QByteArray(length - DataOffset - samples, '\0'));
    const QByteArray sound = wav.mid(DataOffset, samples);
    QVERIFY(std::ranges::any_of(sound, [](char v) { return quint8(v) != 128; }));
}

void tst_AssetStore::sdlReadsChunksByTheirLengths_data()
{
    addSoundRows();
}

// cbSize claims extra format bytes that the "fmt " chunk does not hold; a
// reader that believed it would lose the "fact" chunk and misplace "data".
void tst_AssetStore::sdlReadsChunksByTheirLengths()
{
    QFETCH(int, id);
    QFETCH(int, samples);

    const QByteArray wav = assets::lookup(u"CUSTOM"_s, id);
    SDL_AudioSpec spec = {};
    Uint8 *buffer = nullptr;
    Uint32 bytes = 0;
    QVERIFY2(SDL_LoadWAV_RW(SDL_RWFromConstMem(wav.constData(), int(wav.size())), 1, &spec, &buffer,
                            &bytes),
             SDL_GetError());
    const QByteArray loaded(reinterpret_cast<const char *>(buffer), qsizetype(bytes));
    SDL_FreeWAV(buffer);
    QCOMPARE(spec.format, SDL_AudioFormat(AUDIO_U8));
    QCOMPARE(int(spec.channels), 1);
    QCOMPARE(spec.freq, 22050);
    QCOMPARE(loaded, wav.mid(DataOffset, samples));
}

void tst_AssetStore::unknownAsset_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("id");

    QTest::newRow("video, never carried") << u"CUSTOM"_s << 103;
    QTest::newRow("no such id") << u"CUSTOM"_s << 105;
    QTest::newRow("type in lower case") << u"custom"_s << 101;
    QTest::newRow("other type") << u"PICTURE"_s << 666;
}

void tst_AssetStore::unknownAsset()
{
    QFETCH(QString, type);
    QFETCH(int, id);

    try {
        assets::lookup(type, id);
        QFAIL("an asset was found");
    } catch (const FailureError &error) {
        QCOMPARE(error.failure().number, ENOENT);
        QVERIFY(error.failure().description.contains(QString::number(id)));
    }
}

QTEST_GUILESS_MAIN(tst_AssetStore)
#include "tst_assetstore.moc"
