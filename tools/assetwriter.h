// SPDX-License-Identifier: MIT
#pragma once

#include "giffile.h"

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QString>

#include <functional>

// The sizes of the application icon that the desktop gets as PNG files.
inline constexpr int DesktopIconSizes[] = {16, 32, 48, 64, 128, 256};

// Generates the asset files into one folder, reporting each file it cannot
// write.
class AssetWriter {
public:
    explicit AssetWriter(const QDir &outDir);

    bool writeAll();

    // The application's ICO file: its palette images are reduced from the
    // full-colour pictures of the sizes it holds, all of which the desktop
    // also gets as PNG files.
    static QByteArray applicationIcon(const std::function<QImage(int)> &pictureOfSize);
    // The PNG file of the application icon at one of the desktop's sizes.
    static QString desktopIconName(int size);
    // The console's picture at scale 1 as the program draws it where it lies:
    // 4 bytes a pixel (red, green, blue, 255), row after row, no header.
    static QByteArray rawPixels(const QImage &image);
    // Those bytes as the console's picture; a null image if they are not its size.
    static QImage fromRawPixels(const QByteArray &bytes);

private:
    bool writeSounds();
    bool writePictures();
    static QImage consoleBackground(const QByteArray &full);
    static QByteArray fireballIcon();
    bool writeDesktopIcons();
    bool writeSharpPictures();
    static giffile::Animation fireballAnimation();
    bool writePng(const QString &name, const QImage &image);
    bool writeImage(const QString &name, const QImage &image, const char *format);
    bool write(const QString &name, const QByteArray &bytes);

    QDir m_outDir;
};
