// SPDX-License-Identifier: MIT
#include "assetwriter.h"

#include "backgroundpainter.h"
#include "bmpfile.h"
#include "fireballpainter.h"
#include "giffile.h"
#include "icofile.h"
#include "iconpainter.h"
#include "sounds.h"
#include "wavfile.h"

#include <QBuffer>
#include <QFile>

#include <cmath>
#include <cstdio>

namespace {

// The sounds peak this many steps from the 128 midpoint: loud, never clipped.
constexpr double kPeakLevel = 121.0;
// The alert tone is a quiet reminder, not an effect.
constexpr double kAlertLevel = 47.0;

} // namespace

AssetWriter::AssetWriter(const QDir &outDir)
    : m_outDir(outDir)
{
}

bool AssetWriter::writeAll()
{
    const bool sounds = writeSounds();
    const bool pictures = writePictures();
    return sounds && pictures;
}

bool AssetWriter::writeSounds()
{
    using wavfile::encode;
    using wavfile::quantise;
    bool ok = write(QStringLiteral("countdown.wav"),
                    encode(quantise(sounds::countdown(), kPeakLevel), {40, 0}));
    ok = write(QStringLiteral("boom.wav"), encode(quantise(sounds::boom(), kPeakLevel), {40, 2})) &&
         ok;
    ok = write(QStringLiteral("jungle.wav"),
               encode(quantise(sounds::jungle(), kPeakLevel), {469, 0})) &&
         ok;
    // Undithered: the tone is pure, and the program played these levels when it made them itself.
    std::vector<std::uint8_t> alert;
    for (const double value : sounds::alert())
        alert.push_back(std::uint8_t(128 + std::lround(kAlertLevel * value)));
    ok = write(QStringLiteral("alert.wav"), encode(alert, {0, 0})) && ok;
    return ok;
}

bool AssetWriter::writePictures()
{
    const QByteArray background = bmpfile::encode(BackgroundPainter().paint());
    bool ok = write(QStringLiteral("background.bmp"), background);
    ok =
        write(QStringLiteral("background-1x.rgbx"), rawPixels(consoleBackground(background))) && ok;
    const IconPainter icon;
    ok = write(QStringLiteral("laser.ico"),
               applicationIcon([&icon](int size) { return icon.paint(size); })) &&
         ok;
    ok = write(QStringLiteral("fireball.ico"), fireballIcon()) && ok;
    QString error;
    const QByteArray animation = giffile::encode(fireballAnimation(), &error);
    if (animation.isEmpty()) {
        std::fprintf(stderr, "cannot encode fireball.gif: %s\n", qPrintable(error));
        return false;
    }
    ok = write(QStringLiteral("fireball.gif"), animation) && ok;
    ok = writeSharpPictures() && ok;
    return writeDesktopIcons() && ok;
}

// The desktop's launchers and menus take PNG icons by size, in full colour,
// or the scalable drawing.
bool AssetWriter::writeDesktopIcons()
{
    const IconPainter painter;
    bool ok = true;
    for (int size : DesktopIconSizes) {
        ok = writePng(desktopIconName(size), painter.paint(size)) && ok;
    }
    return write(QStringLiteral("laser.svg"), painter.svg()) && ok;
}

QString AssetWriter::desktopIconName(int size)
{
    return QStringLiteral("laser-%1.png").arg(size);
}

// What the result window shows on screens with twice the pixels.
bool AssetWriter::writeSharpPictures()
{
    const FireballPainter painter;
    const bool frame = writePng(QStringLiteral("fireball-2x.png"),
                                painter.sharpFrame(0, FireballPainter::kResultFrame, 2));
    return writePng(QStringLiteral("fireball-64.png"), painter.icon(64)) && frame;
}

// The console at scale 1 shows the full picture smoothly scaled to its
// control; storing that copy spares every start the decoding and scaling.
// Scaled from the decoded file, as the program would scale it.
QImage AssetWriter::consoleBackground(const QByteArray &full)
{
    const QImage decoded = QImage::fromData(full, "BMP");
    return decoded.scaled(BackgroundPainter::kConsoleWidth, BackgroundPainter::kConsoleHeight,
                          Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Bytes in the same order on every processor, unlike QImage's 32-bit formats.
QByteArray AssetWriter::rawPixels(const QImage &image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_RGBX8888);
    QByteArray bytes;
    for (int y = 0; y < pixels.height(); ++y)
        bytes.append(reinterpret_cast<const char *>(pixels.constScanLine(y)),
                     qsizetype(pixels.width()) * 4);
    return bytes;
}

QImage AssetWriter::fromRawPixels(const QByteArray &bytes)
{
    constexpr int Width = BackgroundPainter::kConsoleWidth;
    constexpr int Height = BackgroundPainter::kConsoleHeight;
    if (bytes.size() != qsizetype(Width) * Height * 4)
        return {};
    return QImage(reinterpret_cast<const uchar *>(bytes.constData()), Width, Height,
                  qsizetype(Width) * 4, QImage::Format_RGBX8888)
        .copy();
}

QByteArray AssetWriter::applicationIcon(const std::function<QImage(int)> &pictureOfSize)
{
    const QList<QRgb> small = IconPainter::palette16();
    const QList<QRgb> large = IconPainter::palette256();
    return icofile::encode({{pictureOfSize(32), 4, small},
                            {pictureOfSize(16), 4, small},
                            {pictureOfSize(48), 8, large},
                            {pictureOfSize(48), 4, small},
                            {pictureOfSize(32), 8, large},
                            {pictureOfSize(16), 8, large}});
}

QByteArray AssetWriter::fireballIcon()
{
    return icofile::encode({{FireballPainter().icon(32), 4, FireballPainter::palette(16)}});
}

giffile::Animation AssetWriter::fireballAnimation()
{
    constexpr int kColours = 32;
    constexpr FireballPainter::Framing framing = FireballPainter::kResultFrame;
    const FireballPainter painter;
    giffile::Animation animation;
    animation.width = framing.width;
    animation.height = framing.height;
    animation.palette = FireballPainter::palette(kColours);
    animation.transparentIndex = 0;
    animation.delayCentiseconds = 10;
    for (int frame = 0; frame < FireballPainter::kFrameCount; ++frame) {
        const std::vector<double> heat = painter.heatMap(frame, framing);
        animation.frames.push_back(FireballPainter::toIndices(heat, framing.width, kColours));
    }
    return animation;
}

bool AssetWriter::writePng(const QString &name, const QImage &image)
{
    return writeImage(name, image, "PNG");
}

bool AssetWriter::writeImage(const QString &name, const QImage &image, const char *format)
{
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format)) {
        std::fprintf(stderr, "cannot encode %s\n", qPrintable(name));
        return false;
    }
    return write(name, encoded);
}

bool AssetWriter::write(const QString &name, const QByteArray &bytes)
{
    QFile file(m_outDir.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(file.fileName()),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}
