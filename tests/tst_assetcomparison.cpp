// SPDX-License-Identifier: MIT
#include "assetcomparison.h"
#include "assetdifference.h"
#include "wavfile.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The drift check of the assets: what it measures, what it lets through (the
// last-level wobble of Qt's painter between processors) and what it does not
// (any real change to a sound, a picture or a file's layout).
class tst_AssetComparison : public QObject {
    Q_OBJECT

private slots:
    void pixelDifference_data();
    void pixelDifference();
    void tolerance_data();
    void tolerance();
    void waveParts_data();
    void waveParts();
    void committedFolder_data();
    void committedFolder();
    void unaccountedFiles();
};

namespace {

enum class Change { None, Pixels, Byte };

const QString AssetsDir = QStringLiteral(LASER_ASSETS_DIR);

bool copyAssets(const QDir &to)
{
    for (const AssetComparison::Asset &asset : AssetComparison::assets()) {
        if (!QFile::copy(AssetsDir + u'/' + asset.name, to.filePath(asset.name))) {
            return false;
        }
    }
    return true;
}

int shifted(int value, int levels)
{
    return value + levels <= 255 ? value + levels : value - levels;
}

// Moves the red channel of the first count opaque pixels by levels.
bool changePixels(const QString &path, int count, int levels)
{
    QImage image(path);
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height() && count > 0; ++y) {
        for (int x = 0; x < image.width() && count > 0; ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) == 255) {
                image.setPixel(x, y, qRgb(shifted(qRed(c), levels), qGreen(c), qBlue(c)));
                --count;
            }
        }
    }
    return count == 0 && image.save(path);
}

bool changeByte(const QString &path, int offset, int levels)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        return false;
    }
    QByteArray bytes = file.readAll();
    bytes[offset] = static_cast<char>(shifted(quint8(bytes[offset]), levels));
    return file.seek(0) && file.write(bytes) == bytes.size();
}

QImage filled(QRgb colour)
{
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

} // namespace

Q_DECLARE_METATYPE(Change)

void tst_AssetComparison::pixelDifference_data()
{
    QTest::addColumn<QRgb>("committed");
    QTest::addColumn<QRgb>("generated");
    QTest::addColumn<int>("worst");

    QTest::newRow("identical") << qRgba(10, 20, 30, 255) << qRgba(10, 20, 30, 255) << 0;
    QTest::newRow("one level of red") << qRgba(10, 20, 30, 255) << qRgba(11, 20, 30, 255) << 1;
    QTest::newRow("three levels of blue") << qRgba(10, 20, 30, 255) << qRgba(10, 20, 27, 255) << 3;
    QTest::newRow("three levels of alpha") << qRgba(0, 0, 0, 255) << qRgba(0, 0, 0, 252) << 3;
    // Colour where nothing shows is no difference; where almost nothing shows,
    // a one-level change of the painted value swings the stored colour by half
    // the range, and must still count as one level.
    QTest::newRow("colour under full transparency")
        << qRgba(200, 0, 0, 0) << qRgba(0, 0, 200, 0) << 0;
    QTest::newRow("colour under near transparency")
        << qRgba(127, 127, 127, 2) << qRgba(0, 127, 127, 2) << 1;
}

void tst_AssetComparison::pixelDifference()
{
    QFETCH(QRgb, committed);
    QFETCH(QRgb, generated);
    QFETCH(int, worst);

    QImage changed = filled(qRgba(10, 20, 30, 255));
    changed.setPixel(2, 1, generated);
    QImage base = filled(qRgba(10, 20, 30, 255));
    base.setPixel(2, 1, committed);
    const AssetDifference difference = AssetDifference::ofPixels(base, changed);
    QCOMPARE(difference.total, 16);
    QCOMPARE(difference.worst, worst);
    QCOMPARE(difference.differing, worst > 0 ? 1 : 0);
    if (worst > 0) {
        QCOMPARE(difference.worstAt, u"pixel (2, 1)"_s);
        QVERIFY(difference.describe(u"pixels"_s).startsWith(u"worst %1 level"_s.arg(worst)));
    }
}

void tst_AssetComparison::tolerance_data()
{
    QTest::addColumn<int>("worst");
    QTest::addColumn<int>("differing");
    QTest::addColumn<int>("total");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("one level in one of 1024 pixels") << 1 << 1 << 1024 << true;
    QTest::newRow("two levels in one of 1024 pixels") << 2 << 1 << 1024 << true;
    QTest::newRow("three levels in one of 1024 pixels") << 3 << 1 << 1024 << false;
    QTest::newRow("two of 1024 pixels, 0.1 % rounded up") << 1 << 2 << 1024 << true;
    QTest::newRow("three of 1024 pixels") << 1 << 3 << 1024 << false;
    QTest::newRow("one of 256 pixels") << 1 << 1 << 256 << true;
    QTest::newRow("two of 256 pixels") << 1 << 2 << 256 << false;
    QTest::newRow("303 of the background's pixels") << 2 << 303 << 302251 << true;
    QTest::newRow("304 of the background's pixels") << 2 << 304 << 302251 << false;
}

void tst_AssetComparison::tolerance()
{
    QFETCH(int, worst);
    QFETCH(int, differing);
    QFETCH(int, total);
    QFETCH(bool, allowed);

    AssetDifference difference;
    difference.worst = worst;
    difference.differing = differing;
    difference.total = total;
    QCOMPARE(AssetComparison::kPaintedTolerance.allows(difference), allowed);
}

void tst_AssetComparison::waveParts_data()
{
    QTest::addColumn<int>("extraFormatBytes");
    QTest::addColumn<int>("changedSample");
    QTest::addColumn<int>("levels");
    QTest::addColumn<bool>("sameContainer");

    QTest::newRow("identical") << 40 << -1 << 0 << true;
    QTest::newRow("sample 7 up one level") << 40 << 7 << 1 << true;
    QTest::newRow("sample 0 down three levels") << 40 << 0 << -3 << true;
    QTest::newRow("format field changed") << 41 << -1 << 0 << false;
}

// The samples of a sound are told apart from its headers, so a report says
// which of them moved.
void tst_AssetComparison::waveParts()
{
    QFETCH(int, extraFormatBytes);
    QFETCH(int, changedSample);
    QFETCH(int, levels);
    QFETCH(bool, sameContainer);

    std::vector<std::uint8_t> samples(11);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::uint8_t>(100 + 3 * i);
    }
    const WaveParts before = WaveParts::of(wavfile::encode(samples, {40, 2}));
    if (changedSample >= 0) {
        samples[changedSample] = static_cast<std::uint8_t>(samples[changedSample] + levels);
    }
    const WaveParts after =
        WaveParts::of(wavfile::encode(samples, {static_cast<std::uint16_t>(extraFormatBytes), 2}));
    QCOMPARE(before.samples.size(), 11);
    // The 58 bytes of headers, then a pad byte and the two trailing zeros.
    QCOMPARE(before.container.size(), 58 + 1 + 2);
    QCOMPARE(before.container == after.container, sameContainer);
    const AssetDifference difference = AssetDifference::ofSamples(before.samples, after.samples);
    QCOMPARE(difference.worst, std::abs(levels));
    if (changedSample >= 0) {
        QCOMPARE(difference.differing, 1);
        QCOMPARE(difference.worstAt, u"sample %1"_s.arg(changedSample));
    }
}

void tst_AssetComparison::committedFolder_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("where");
    QTest::addColumn<int>("levels");
    QTest::addColumn<bool>("inCommitted");
    QTest::addColumn<bool>("passes");

    QTest::newRow("untouched") << u"laser.svg"_s << Change::None << 0 << 0 << false << true;
    QTest::newRow("laser-32.png: one pixel one level, as on another processor")
        << u"laser-32.png"_s << Change::Pixels << 1 << 1 << false << true;
    QTest::newRow("laser-32.png: one pixel three levels")
        << u"laser-32.png"_s << Change::Pixels << 1 << 3 << false << false;
    QTest::newRow("laser-64.png: six pixels one level")
        << u"laser-64.png"_s << Change::Pixels << 6 << 1 << false << false;
    QTest::newRow("background.bmp: one pixel two levels")
        << u"background.bmp"_s << Change::Byte << 54 + 3 * 100 << 2 << false << true;
    QTest::newRow("background.bmp: resolution field")
        << u"background.bmp"_s << Change::Byte << 38 << 1 << false << false;
    QTest::newRow("boom.wav: one sample one level")
        << u"boom.wav"_s << Change::Byte << 58 + 5000 << 1 << false << false;
    QTest::newRow("countdown.wav: format field")
        << u"countdown.wav"_s << Change::Byte << 36 << 1 << false << false;
    QTest::newRow("fireball.gif: one palette colour one level")
        << u"fireball.gif"_s << Change::Byte << 13 + 3 * 9 << 1 << false << false;
    QTest::newRow("fireball-2x.png: one pixel one level")
        << u"fireball-2x.png"_s << Change::Pixels << 1 << 1 << false << false;
    QTest::newRow("laser.svg: one character")
        << u"laser.svg"_s << Change::Byte << 300 << 1 << false << false;
    // The committed icon must stay the reduction of the committed PNGs.
    QTest::newRow("laser.ico: committed palette colour one level")
        << u"laser.ico"_s << Change::Byte << 6 + 16 * 6 + 40 + 4 * 3 << 1 << true << false;
}

// A folder of copies of the committed assets, one file changed, held against
// the committed originals: only that file may fail, and only when it should.
void tst_AssetComparison::committedFolder()
{
    QFETCH(QString, file);
    QFETCH(Change, change);
    QFETCH(int, where);
    QFETCH(int, levels);
    QFETCH(bool, inCommitted);
    QFETCH(bool, passes);

    QTemporaryDir committed;
    QTemporaryDir generated;
    QVERIFY(copyAssets(QDir(committed.path())));
    QVERIFY(copyAssets(QDir(generated.path())));
    const QString path = (inCommitted ? committed : generated).filePath(file);
    if (change == Change::Pixels) {
        QVERIFY(changePixels(path, where, levels));
    } else if (change == Change::Byte) {
        QVERIFY(changeByte(path, where, levels));
    }

    const AssetComparison comparison{QDir(committed.path()), QDir(generated.path())};
    QVERIFY(comparison.unaccounted().isEmpty());
    for (const AssetComparison::Asset &asset : AssetComparison::assets()) {
        const AssetComparison::Result result = comparison.compare(asset);
        const bool expected = asset.name != file || passes;
        QVERIFY2(result.ok == expected, qPrintable(asset.name + u": "_s + result.report));
    }
}

void tst_AssetComparison::unaccountedFiles()
{
    QTemporaryDir committed;
    QTemporaryDir generated;
    QVERIFY(copyAssets(QDir(committed.path())));
    QVERIFY(copyAssets(QDir(generated.path())));
    QVERIFY(QFile::remove(generated.filePath(u"jungle.wav"_s)));
    QFile extra(generated.filePath(u"laser-512.png"_s));
    QVERIFY(extra.open(QIODevice::WriteOnly));
    extra.close();

    const AssetComparison comparison{QDir(committed.path()), QDir(generated.path())};
    QCOMPARE(comparison.unaccounted(),
             (QStringList{u"jungle.wav was not generated"_s,
                          u"laser-512.png is generated but not checked"_s}));
}

QTEST_GUILESS_MAIN(tst_AssetComparison)
#include "tst_assetcomparison.moc"
