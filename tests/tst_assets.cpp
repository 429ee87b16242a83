// SPDX-License-Identifier: MIT
#include "assetfiles.h"
#include "littleendian.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTest>

#include <gif_lib.h>

#include <memory>

using namespace Qt::StringLiterals;

// The committed pictures and icons, checked against the layouts the program
// and its replacements must keep, and against what the console and the result
// window do with them (scaled under text, shown on black).
class tst_Assets : public QObject {
    Q_OBJECT

private slots:
    void backgroundLayout();
    void backgroundUnderText_data();
    void backgroundUnderText();
    void backgroundShowsTheScene();
    void iconEntries_data();
    void iconEntries();
    void iconsReadBack_data();
    void iconsReadBack();
    void fireballStructure();
    void fireballFirstFrame();
    void fireballPlaysInQt();
    void embedded_data();
    void embedded();
};

namespace {

double luminance(QRgb c)
{
    return (0.2126 * qRed(c) + 0.7152 * qGreen(c) + 0.0722 * qBlue(c)) / 255.0;
}

// The background as the console shows it.
QImage consoleView()
{
    return QImage(QStringLiteral(LASER_ASSETS_DIR "/background.bmp"))
        .scaled(433, 249, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

struct GifCloser {
    void operator()(GifFileType *gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

GifHandle slurpFireball()
{
    int error = 0;
    GifHandle gif(DGifOpenFileName(LASER_ASSETS_DIR "/fireball.gif", &error));
    if (gif && DGifSlurp(gif.get()) != GIF_OK) {
        gif.reset();
    }
    return gif;
}

bool loopsForever(const GifFileType *gif)
{
    const ExtensionBlock *blocks = gif->SavedImages[0].ExtensionBlocks;
    const int count = gif->SavedImages[0].ExtensionBlockCount;
    for (int i = 0; i + 1 < count; ++i) {
        if (blocks[i].Function == APPLICATION_EXT_FUNC_CODE && blocks[i].ByteCount == 11 &&
            QByteArray(reinterpret_cast<const char *>(blocks[i].Bytes), 11) == "NETSCAPE2.0" &&
            blocks[i + 1].ByteCount == 3) {
            const GifByteType *loop = blocks[i + 1].Bytes;
            return loop[0] == 1 && loop[1] == 0 && loop[2] == 0;
        }
    }
    return false;
}

} // namespace

void tst_Assets::backgroundLayout()
{
    const QByteArray bmp = readAsset(u"background.bmp"_s);
    QCOMPARE(bmp.size(), 908034);
    QCOMPARE(bmp.left(2), "BM"_ba);
    QCOMPARE(u32(bmp, 2), 908034u);
    QCOMPARE(u32(bmp, 10), 54u);
    QCOMPARE(u32(bmp, 14), 40u);
    QCOMPARE(u32(bmp, 18), 739u);
    // A positive height: rows are stored bottom-up.
    QCOMPARE(u32(bmp, 22), 409u);
    QCOMPARE(u16(bmp, 26), 1u);
    QCOMPARE(u16(bmp, 28), 24u);
    QCOMPARE(u32(bmp, 30), 0u);
    constexpr int kStride = 2220;
    QCOMPARE(u32(bmp, 34), quint32(kStride * 409));
    for (int row = 0; row < 409; ++row) {
        const QByteArray padding = bmp.mid(54 + row * kStride + 739 * 3, kStride - 739 * 3);
        QVERIFY2(padding == QByteArray(3, '\0'), qPrintable(u"row %1"_s.arg(row)));
    }
    const QImage image = QImage::fromData(bmp, "BMP");
    QCOMPARE(image.size(), QSize(739, 409));
}

void tst_Assets::backgroundUnderText_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<bool>("redText");

    QTest::newRow("title") << QRect(24, 32, 241, 49) << false;
    QTest::newRow("Power heading") << QRect(288, 8, 129, 33) << false;
    QTest::newRow("Target heading") << QRect(200, 128, 209, 33) << false;
    QTest::newRow("Delay heading") << QRect(0, 192, 73, 25) << false;
    QTest::newRow("news line") << QRect(72, 192, 345, 11) << true;
}

// White headings and the red news line are drawn straight onto the picture:
// behind them it has to stay dark, and not red behind the red line.
void tst_Assets::backgroundUnderText()
{
    QFETCH(QRect, area);
    QFETCH(bool, redText);

    const QImage view = consoleView();
    QCOMPARE(view.size(), QSize(433, 249));
    const double bright = share(view, area, [](QRgb c) { return luminance(c) > 0.5; });
    QVERIFY2(bright < 0.03, qPrintable(u"%1% bright pixels"_s.arg(bright * 100.0)));
    double sum = 0.0;
    share(view, area, [&sum](QRgb c) {
        sum += luminance(c);
        return false;
    });
    QVERIFY(sum / (area.width() * area.height()) < 0.1);
    if (redText) {
        const double red = share(view, area, [](QRgb c) {
            return qRed(c) > 110 && qRed(c) > 2 * qGreen(c) && qRed(c) > 2 * qBlue(c);
        });
        QVERIFY2(red < 0.01, qPrintable(u"%1% red pixels"_s.arg(red * 100.0)));
    }
}

void tst_Assets::backgroundShowsTheScene()
{
    const QImage view = consoleView();
    // The Earth's oceans in the free space between the option buttons and
    // the target box; the laser beam between the satellite and the Earth.
    const double ocean = share(view, QRect(100, 85, 100, 105),
                               [](QRgb c) { return qBlue(c) > 60 && qBlue(c) > qRed(c) + 25; });
    QVERIFY2(ocean > 0.2, qPrintable(u"%1% ocean"_s.arg(ocean * 100.0)));
    const double beam = share(view, QRect(200, 85, 130, 43), [](QRgb c) {
        return qRed(c) > 200 && qGreen(c) < 120 && qBlue(c) < 120;
    });
    QVERIFY2(beam > 0.005, qPrintable(u"%1% beam"_s.arg(beam * 100.0)));
    const double black = share(view, view.rect(), [](QRgb c) { return luminance(c) < 0.08; });
    QVERIFY2(black > 0.5, qPrintable(u"%1% space"_s.arg(black * 100.0)));
}

void tst_Assets::iconEntries_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("bits");

    const QList<std::pair<int, int>> application = {{32, 4}, {16, 4}, {48, 8},
                                                    {48, 4}, {32, 8}, {16, 8}};
    for (int i = 0; i < application.size(); ++i) {
        const auto [size, bits] = application[i];
        QTest::addRow("laser.ico %d: %dx%d %d bpp", i, size, size, bits)
            << u"laser.ico"_s << 10134 << i << size << bits;
    }
    QTest::newRow("fireball.ico 0: 32x32 4 bpp") << u"fireball.ico"_s << 766 << 0 << 32 << 4;
}

// Classic palette icons: each directory entry points at a BITMAPINFOHEADER
// image of twice its height (colours, then the AND mask), packed back to back.
void tst_Assets::iconEntries()
{
    QFETCH(QString, file);
    QFETCH(int, fileSize);
    QFETCH(int, entry);
    QFETCH(int, size);
    QFETCH(int, bits);

    const QByteArray ico = readAsset(file);
    QCOMPARE(ico.size(), fileSize);
    QCOMPARE(u16(ico, 0), 0u);
    QCOMPARE(u16(ico, 2), 1u);
    const int count = u16(ico, 4);
    QVERIFY(entry < count);
    const qsizetype at = 6 + 16 * entry;
    QCOMPARE(int(quint8(ico[at])), size);
    QCOMPARE(int(quint8(ico[at + 1])), size);
    QCOMPARE(int(quint8(ico[at + 2])), bits == 4 ? 16 : 0);
    QCOMPARE(u16(ico, at + 4), 1u);
    QCOMPARE(int(u16(ico, at + 6)), bits);

    const int colourRow = (size * bits + 31) / 32 * 4;
    const int maskRow = (size + 31) / 32 * 4;
    const quint32 expected = 40 + 4 * (1u << bits) + size * (colourRow + maskRow);
    QCOMPARE(u32(ico, at + 8), expected);
    quint32 offset = 6 + 16 * count;
    for (int i = 0; i < entry; ++i) {
        offset += u32(ico, 6 + 16 * i + 8);
    }
    QCOMPARE(u32(ico, at + 12), offset);
    if (entry == count - 1) {
        QCOMPARE(qsizetype(offset + expected), ico.size());
    }

    QCOMPARE(u32(ico, offset), 40u);
    QCOMPARE(int(u32(ico, offset + 4)), size);
    QCOMPARE(int(u32(ico, offset + 8)), 2 * size);
    QCOMPARE(u16(ico, offset + 12), 1u);
    QCOMPARE(int(u16(ico, offset + 14)), bits);
    QCOMPARE(u32(ico, offset + 16), 0u);
}

void tst_Assets::iconsReadBack_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QList<int>>("sizes");

    QTest::newRow("laser.ico") << u"laser.ico"_s << QList<int>{32, 16, 48, 48, 32, 16};
    QTest::newRow("fireball.ico") << u"fireball.ico"_s << QList<int>{32};
}

// Qt's own reader is what the windows use; every image must come through, with
// a transparent surround and an opaque middle.
void tst_Assets::iconsReadBack()
{
    QFETCH(QString, file);
    QFETCH(QList<int>, sizes);

    QImageReader reader(QStringLiteral(LASER_ASSETS_DIR "/") + file, "ico");
    QCOMPARE(reader.imageCount(), sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.size(), QSize(sizes[i], sizes[i]));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(sizes[i] - 1, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(sizes[i] / 2, sizes[i] / 2)), 255);
    }
}

void tst_Assets::fireballStructure()
{
    QCOMPARE(readAsset(u"fireball.gif"_s).left(6), "GIF89a"_ba);
    const GifHandle gif = slurpFireball();
    QVERIFY(gif);
    QCOMPARE(gif->SWidth, 200);
    QCOMPARE(gif->SHeight, 282);
    QVERIFY(gif->SColorMap);
    QCOMPARE(gif->SColorMap->ColorCount, 32);
    QCOMPARE(gif->ImageCount, 17);
    QVERIFY(loopsForever(gif.get()));
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage &frame = gif->SavedImages[i];
        QVERIFY2(!frame.ImageDesc.ColorMap, qPrintable(u"frame %1 has a local palette"_s.arg(i)));
        GraphicsControlBlock control{};
        QCOMPARE(DGifSavedExtensionToGCB(gif.get(), i, &control), GIF_OK);
        QCOMPARE(control.DelayTime, 10);
        QVERIFY(control.TransparentColor != NO_TRANSPARENT_COLOR);
    }
    const GifImageDesc &first = gif->SavedImages[0].ImageDesc;
    QCOMPARE(QRect(first.Left, first.Top, first.Width, first.Height), QRect(0, 0, 200, 282));
}

// The result window shows only the first frame, on black: a big fireball in
// the upper two thirds, about two thirds of the frame see-through.
void tst_Assets::fireballFirstFrame()
{
    const QImage frame = QImage(QStringLiteral(LASER_ASSETS_DIR "/fireball.gif"))
                             .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(frame.size(), QSize(200, 282));
    const double clear = share(frame, frame.rect(), [](QRgb c) { return qAlpha(c) == 0; });
    QVERIFY2(clear > 0.55 && clear < 0.75, qPrintable(u"%1% transparent"_s.arg(clear * 100.0)));
    const QRect upper(0, 0, 200, 188);
    const QRect lower(0, 188, 200, 94);
    auto fiery = [](QRgb c) { return qAlpha(c) == 255 && qRed(c) > 200 && qGreen(c) > 100; };
    QVERIFY(share(frame, upper, fiery) > 0.25);
    QVERIFY(share(frame, lower, fiery) < 0.02);
    auto nearWhite = [](QRgb c) { return qAlpha(c) == 255 && qBlue(c) > 150; };
    QVERIFY(share(frame, QRect(70, 80, 60, 60), nearWhite) > 0.05);
}

void tst_Assets::fireballPlaysInQt()
{
    QImageReader reader(QStringLiteral(LASER_ASSETS_DIR "/fireball.gif"));
    QVERIFY(reader.supportsAnimation());
    QCOMPARE(reader.imageCount(), 17);
    QCOMPARE(reader.loopCount(), -1);
    int frames = 0;
    while (reader.canRead()) {
        const QImage frame = reader.read();
        QVERIFY(!frame.isNull());
        QCOMPARE(frame.size(), QSize(200, 282));
        QCOMPARE(reader.nextImageDelay(), 100);
        ++frames;
    }
    QCOMPARE(frames, 17);
}

void tst_Assets::embedded_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QString>("file");

    const QList<std::pair<QString, QString>> rows = {
        {u"CUSTOM/101"_s, u"countdown.wav"_s},
        {u"CUSTOM/102"_s, u"boom.wav"_s},
        {u"CUSTOM/104"_s, u"jungle.wav"_s},
        {u"pictures/background.bmp"_s, u"background.bmp"_s},
        {u"pictures/background-1x.rgbx"_s, u"background-1x.rgbx"_s},
        {u"pictures/fireball.gif"_s, u"fireball.gif"_s},
        {u"pictures/fireball-2x.png"_s, u"fireball-2x.png"_s},
        {u"icons/laser.ico"_s, u"laser.ico"_s},
        {u"icons/laser-256.png"_s, u"laser-256.png"_s},
        {u"icons/fireball.ico"_s, u"fireball.ico"_s},
        {u"icons/fireball-64.png"_s, u"fireball-64.png"_s},
    };
    for (const auto &[resource, file] : rows) {
        QTest::newRow(qPrintable(resource)) << resource << file;
    }
}

// Every embedded resource is the committed file of its name, byte for byte.
void tst_Assets::embedded()
{
    QFETCH(QString, resource);
    QFETCH(QString, file);

    QFile embedded(u":/"_s + resource);
    QVERIFY2(embedded.open(QIODevice::ReadOnly), qPrintable(resource));
    const QByteArray committed = readAsset(file);
    QVERIFY(!committed.isEmpty());
    QVERIFY(embedded.readAll() == committed);
}

QTEST_GUILESS_MAIN(tst_Assets)
#include "tst_assets.moc"
