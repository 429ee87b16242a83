#pragma once

#include "giffile.h"

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QString>

// The sizes of the application icon that the desktop gets as PNG files.
inline constexpr int DesktopIconSizes[] = {16, 32, 48, 64, 128, 256};

// Generates the asset files into one folder, reporting each file it cannot
// write.
class AssetWriter {
public:
    explicit AssetWriter(const QDir &outDir);

    bool writeAll();

private:
    bool writeSounds();
    bool writePictures();
    static QByteArray applicationIcon();
    static QByteArray fireballIcon();
    bool writeDesktopIcons();
    bool writeSharpPictures();
    static giffile::Animation fireballAnimation();
    bool writePng(const QString &name, const QImage &image);
    bool write(const QString &name, const QByteArray &bytes);

    QDir m_outDir;
};
