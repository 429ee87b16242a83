// SPDX-License-Identifier: MIT
#include "assetfiles.h"

#include <QImage>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

#include <cstdlib>

using namespace Qt::StringLiterals;

// The desktop's icon set and the sharper pictures for screens with twice the
// pixels: plain formats every reader takes, and the same drawings as the
// pictures they stand in for.
class tst_SharpAssets : public QObject {
    Q_OBJECT

private slots:
    void desktopIcons_data();
    void desktopIcons();
    void largeIconSharpensTheDetailedOne();
    void scalableIcon();
    void sharpFireballFrame();
    void sharpPicturesMatchTheirOriginals_data();
    void sharpPicturesMatchTheirOriginals();
};

namespace {

// How far apart two pictures of one size look on the black the windows show
// them on: the mean difference per colour channel, in levels.
double meanDifferenceOnBlack(const QImage &a, const QImage &b)
{
    const QImage left = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0.0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * left.width() * left.height());
}

QImage smoothlyHalved(const QImage &image)
{
    return image.scaled(image.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

void tst_SharpAssets::desktopIcons_data()
{
    QTest::addColumn<int>("size");

    for (int size : {16, 32, 48, 64, 128, 256}) {
        QTest::addRow("laser-%d.png", size) << size;
    }
}

// The desktop's icons: PNGs of their nominal size with real transparency, the
// blue dish in the middle and nothing in the corners.
void tst_SharpAssets::desktopIcons()
{
    QFETCH(int, size);

    const QString name = u"laser-%1.png"_s.arg(size);
    QCOMPARE(readAsset(name).left(8), "\x89PNG\r\n\x1a\n"_ba);
    const QImage icon = QImage(QStringLiteral(LASER_ASSETS_DIR "/") + name);
    QCOMPARE(icon.size(), QSize(size, size));
    QVERIFY(icon.hasAlphaChannel());
    for (const QPoint corner : {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1)}) {
        QCOMPARE(qAlpha(icon.pixel(corner)), 0);
    }
    const QRgb bowl = icon.pixel(size * 2 / 5, size * 2 / 5);
    QCOMPARE(qAlpha(bowl), 255);
    QVERIFY2(qBlue(bowl) > qRed(bowl) + 40, qPrintable(u"bowl is #%1"_s.arg(bowl, 8, 16)));
}

// The 256-pixel icon is the 128-pixel one drawn with twice the pixels, not a
// thinner-lined variant: halved again, it is nearly the same picture.
void tst_SharpAssets::largeIconSharpensTheDetailedOne()
{
    const QImage large = readPicture(u"laser-256.png"_s);
    const QImage detailed = readPicture(u"laser-128.png"_s);
    const double difference = meanDifferenceOnBlack(smoothlyHalved(large), detailed);
    qInfo("laser-256.png halved differs from laser-128.png by %.2f levels on average", difference);
    QVERIFY2(difference < 2.0, qPrintable(QString::number(difference)));
}

// The scalable icon must be plain SVG 1.1 that any renderer reads: well formed,
// one viewBox, and every painted reference pointing at a defined gradient.
void tst_SharpAssets::scalableIcon()
{
    const QByteArray svg = readAsset(u"laser.svg"_s);
    QVERIFY(!svg.isEmpty());
    QVERIFY2(svg.size() < 4096, qPrintable(QString::number(svg.size())));
    QXmlStreamReader reader(svg);
    QSet<QString> defined;
    QSet<QString> used;
    QStringList shapes;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QXmlStreamAttributes attributes = reader.attributes();
        if (reader.name() == u"svg") {
            QCOMPARE(reader.namespaceUri(), u"http://www.w3.org/2000/svg");
            QCOMPARE(attributes.value("version"_L1), u"1.1");
            QCOMPARE(attributes.value("viewBox"_L1), u"0 0 128 128");
        }
        if (attributes.hasAttribute("id"_L1)) {
            defined.insert(attributes.value("id"_L1).toString());
        }
        for (const QXmlStreamAttribute &attribute : attributes) {
            const QString value = attribute.value().toString();
            if (value.startsWith(u"url(#") && value.endsWith(u')')) {
                used.insert(value.mid(5, value.size() - 6));
            }
        }
        if (QStringList{u"path"_s, u"ellipse"_s, u"line"_s, u"circle"_s}.contains(reader.name())) {
            shapes.append(reader.name().toString());
        }
    }
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
    QCOMPARE(used, (QSet<QString>{u"cream"_s, u"bowl"_s}));
    QVERIFY(used.subtract(defined).isEmpty());
    QCOMPARE(shapes.size(), 7);
}

// The double-resolution fireball keeps the frame's see-through parts: every
// pixel the frame leaves transparent stays transparent in all four of its
// sharper pixels, and there is no partial alpha the frame does not have.
void tst_SharpAssets::sharpFireballFrame()
{
    const QImage sharp = readPicture(u"fireball-2x.png"_s);
    const QImage frame = readPicture(u"fireball.gif"_s);
    QCOMPARE(sharp.size(), QSize(400, 564));
    QVERIFY(QImage(QStringLiteral(LASER_ASSETS_DIR "/fireball-2x.png")).hasAlphaChannel());
    int leaks = 0;
    int partial = 0;
    for (int y = 0; y < sharp.height(); ++y) {
        for (int x = 0; x < sharp.width(); ++x) {
            const int alpha = qAlpha(sharp.pixel(x, y));
            partial += alpha != 0 && alpha != 255 ? 1 : 0;
            leaks += alpha != 0 && qAlpha(frame.pixel(x / 2, y / 2)) == 0 ? 1 : 0;
        }
    }
    QCOMPARE(partial, 0);
    QCOMPARE(leaks, 0);
    // Drawn again at the finer resolution, not a frame with its pixels doubled.
    int blocks = 0;
    int flat = 0;
    for (int y = 0; y < sharp.height(); y += 2) {
        for (int x = 0; x < sharp.width(); x += 2) {
            const QRgb c = sharp.pixel(x, y);
            if (qAlpha(c) == 0) {
                continue;
            }
            ++blocks;
            flat += sharp.pixel(x + 1, y) == c && sharp.pixel(x, y + 1) == c &&
                            sharp.pixel(x + 1, y + 1) == c
                        ? 1
                        : 0;
        }
    }
    QVERIFY2(flat < blocks / 4, qPrintable(u"%1 of %2 blocks flat"_s.arg(flat).arg(blocks)));
    const double clear = share(sharp, sharp.rect(), [](QRgb c) { return qAlpha(c) == 0; });
    QVERIFY2(clear > 0.55 && clear < 0.8, qPrintable(u"%1% transparent"_s.arg(clear * 100.0)));
}

void tst_SharpAssets::sharpPicturesMatchTheirOriginals_data()
{
    QTest::addColumn<QString>("sharp");
    QTest::addColumn<QString>("original");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<double>("limit");

    // The frame and the small icon are dithered or reduced to 16 colours,
    // which the sharp pictures are not: their noise sets the limits.
    QTest::newRow("fireball-2x.png halved vs fireball.gif frame 1")
        << u"fireball-2x.png"_s << u"fireball.gif"_s << "gif"_ba << 2.0;
    QTest::newRow("fireball-64.png halved vs fireball.ico")
        << u"fireball-64.png"_s << u"fireball.ico"_s << "ico"_ba << 5.0;
}

// A sharper picture shows the same shapes and colours as its original: halved
// smoothly, it must come close to it on black.
void tst_SharpAssets::sharpPicturesMatchTheirOriginals()
{
    QFETCH(QString, sharp);
    QFETCH(QString, original);
    QFETCH(QByteArray, format);
    QFETCH(double, limit);

    const QImage image = readPicture(sharp);
    const QImage reference = readPicture(original, format.constData());
    QVERIFY(!reference.isNull());
    QCOMPARE(image.size(), reference.size() * 2);
    const double difference = meanDifferenceOnBlack(smoothlyHalved(image), reference);
    qInfo("%s halved differs from %s by %.2f levels on average", qPrintable(sharp),
          qPrintable(original), difference);
    QVERIFY2(difference < limit, qPrintable(QString::number(difference)));
}

QTEST_GUILESS_MAIN(tst_SharpAssets)
#include "tst_sharpassets.moc"
