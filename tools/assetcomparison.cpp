// SPDX-License-Identifier: MIT
#include "assetcomparison.h"

#include "assetwriter.h"
#include "littleendian.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>

#include <algorithm>

namespace {

QByteArray readFile(const QDir &dir, const QString &name)
{
    QFile file(dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every image in the file: all frames of an animation, all entries of an icon.
QList<QImage> decodeAll(const QByteArray &bytes, const QString &name)
{
    if (name.endsWith(QLatin1String(".rgbx"))) {
        const QImage image = AssetWriter::fromRawPixels(bytes);
        return image.isNull() ? QList<QImage>() : QList<QImage>{image};
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QFileInfo(name).suffix().toLatin1());
    QList<QImage> images;
    const int count = std::max(1, reader.imageCount());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.supportsAnimation() && !reader.jumpToImage(i)) {
            return {};
        }
        const QImage image = reader.read();
        if (image.isNull()) {
            return {};
        }
        images.append(image);
    }
    return images;
}

AssetComparison::Result imagesWithin(const QList<QImage> &committed, const QList<QImage> &generated,
                                     const AssetTolerance &tolerance)
{
    if (committed.isEmpty() || generated.isEmpty()) {
        return {false, QStringLiteral("does not decode")};
    }
    if (committed.size() != generated.size()) {
        return {false, QStringLiteral("%1 images committed, %2 generated")
                           .arg(committed.size())
                           .arg(generated.size())};
    }
    AssetDifference difference;
    for (qsizetype i = 0; i < committed.size(); ++i) {
        if (committed[i].size() != generated[i].size()) {
            return {false, QStringLiteral("image %1 is %2x%3 committed, %4x%5 generated")
                               .arg(i)
                               .arg(committed[i].width())
                               .arg(committed[i].height())
                               .arg(generated[i].width())
                               .arg(generated[i].height())};
        }
        const QString where = committed.size() > 1 ? QStringLiteral(" of image %1").arg(i) : "";
        difference.add(AssetDifference::ofPixels(committed[i], generated[i], where));
    }
    QString report = difference.describe(QStringLiteral("pixels"));
    if (tolerance.levels > 0) {
        report += QStringLiteral("; allowed ") + tolerance.describe(difference.total, "pixels");
    }
    return {tolerance.allows(difference), report};
}

// Where two files that should be identical part: in the samples of a sound,
// in the pixels of a picture, or at some byte.
QString whereBytesDiffer(const QString &name, const QByteArray &committed,
                         const QByteArray &generated)
{
    const WaveParts before = WaveParts::of(committed);
    const WaveParts after = WaveParts::of(generated);
    if (!before.samples.isEmpty() && !after.samples.isEmpty()) {
        return QStringLiteral("headers %1; samples: %2")
            .arg(before.container == after.container ? "identical" : "differ",
                 AssetDifference::ofSamples(before.samples, after.samples).describe("samples"));
    }
    const QString sizes = QStringLiteral("%1 bytes committed, %2 generated")
                              .arg(committed.size())
                              .arg(generated.size());
    const QList<QImage> images = decodeAll(committed, name);
    if (!images.isEmpty()) {
        return sizes + QStringLiteral("; decoded: ") +
               imagesWithin(images, decodeAll(generated, name), {}).report;
    }
    const auto part = std::ranges::mismatch(committed, generated);
    return sizes +
           QStringLiteral("; first difference at byte %1").arg(part.in1 - committed.begin());
}

} // namespace

const QList<AssetComparison::Asset> &AssetComparison::assets()
{
    static const QList<Asset> table = [] {
        QList<Asset> out = {
            {QStringLiteral("countdown.wav"), Rule::Bytes},
            {QStringLiteral("boom.wav"), Rule::Bytes},
            {QStringLiteral("jungle.wav"), Rule::Bytes},
            {QStringLiteral("alert.wav"), Rule::Bytes},
            {QStringLiteral("background.bmp"), Rule::PaintedBitmap},
            {QStringLiteral("background-1x.rgbx"), Rule::PaintedPixels},
            {QStringLiteral("laser.ico"), Rule::IconOfPictures},
            {QStringLiteral("laser.svg"), Rule::Bytes},
            {QStringLiteral("fireball.gif"), Rule::Bytes},
            {QStringLiteral("fireball.ico"), Rule::Bytes},
            {QStringLiteral("fireball-2x.png"), Rule::Pixels},
            {QStringLiteral("fireball-64.png"), Rule::Pixels},
        };
        for (int size : DesktopIconSizes) {
            out.append({AssetWriter::desktopIconName(size), Rule::PaintedPixels});
        }
        return out;
    }();
    return table;
}

AssetComparison::AssetComparison(const QDir &committed, const QDir &generated)
    : m_committed(committed)
    , m_generated(generated)
{
}

AssetComparison::Result AssetComparison::compare(const Asset &asset) const
{
    switch (asset.rule) {
    case Rule::Bytes:
        return sameBytes(asset.name);
    case Rule::Pixels:
        return samePixels(asset.name, {});
    case Rule::PaintedPixels:
        return samePixels(asset.name, kPaintedTolerance);
    case Rule::PaintedBitmap:
        return sameBitmap(asset.name);
    case Rule::IconOfPictures:
        return iconOfPictures(asset.name);
    }
    return {};
}

QStringList AssetComparison::unaccounted() const
{
    QStringList out;
    QSet<QString> known;
    for (const Asset &asset : assets()) {
        known.insert(asset.name);
        if (!m_committed.exists(asset.name)) {
            out.append(asset.name + QStringLiteral(" is not committed"));
        }
        if (!m_generated.exists(asset.name)) {
            out.append(asset.name + QStringLiteral(" was not generated"));
        }
    }
    for (const QString &name : m_generated.entryList(QDir::Files, QDir::Name)) {
        if (!known.contains(name)) {
            out.append(name + QStringLiteral(" is generated but not checked"));
        }
    }
    return out;
}

AssetComparison::Result AssetComparison::sameBytes(const QString &name) const
{
    const QByteArray before = committed(name);
    const QByteArray after = generated(name);
    if (!before.isEmpty() && before == after) {
        return {true, QStringLiteral("identical, %1 bytes").arg(before.size())};
    }
    return {false,
            QStringLiteral("must be byte for byte: ") + whereBytesDiffer(name, before, after)};
}

AssetComparison::Result AssetComparison::samePixels(const QString &name,
                                                    const AssetTolerance &tolerance) const
{
    return imagesWithin(decodeAll(committed(name), name), decodeAll(generated(name), name),
                        tolerance);
}

AssetComparison::Result AssetComparison::sameBitmap(const QString &name) const
{
    const QByteArray before = committed(name);
    const QByteArray after = generated(name);
    // The headers end where the pixels begin: at the offset the file header gives.
    const qsizetype headers = u32(before, 10);
    if (headers < 54 || before.left(headers) != after.left(headers)) {
        return {false, QStringLiteral("headers differ: ") + whereBytesDiffer(name, before, after)};
    }
    Result pixels = samePixels(name, kPaintedTolerance);
    pixels.report.prepend(QStringLiteral("headers identical; "));
    return pixels;
}

AssetComparison::Result AssetComparison::iconOfPictures(const QString &name) const
{
    QStringList sources;
    const QByteArray expected = AssetWriter::applicationIcon([this, &sources](int size) {
        const QString source = AssetWriter::desktopIconName(size);
        if (!sources.contains(source)) {
            sources.append(source);
        }
        return QImage(m_committed.filePath(source)).convertToFormat(QImage::Format_ARGB32);
    });
    const QByteArray before = committed(name);
    const QString reduction =
        QStringLiteral("the reduction of the committed ") + sources.join(", ");
    if (before != expected) {
        return {false, QStringLiteral("is not byte for byte %1: %2")
                           .arg(reduction, whereBytesDiffer(name, expected, before))};
    }
    const Result fresh =
        imagesWithin(decodeAll(before, name), decodeAll(generated(name), name), {});
    return {true, QStringLiteral("byte for byte %1; against the fresh file: %2")
                      .arg(reduction, fresh.report)};
}

QByteArray AssetComparison::committed(const QString &name) const
{
    return readFile(m_committed, name);
}

QByteArray AssetComparison::generated(const QString &name) const
{
    return readFile(m_generated, name);
}
