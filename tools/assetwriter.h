#pragma once

#include "giffile.h"

#include <QByteArray>
#include <QDir>
#include <QString>

// Generates the seven asset files into one folder, reporting each file it
// cannot write.
class AssetWriter {
public:
    explicit AssetWriter(const QDir &outDir);

    bool writeAll();

private:
    bool writeSounds();
    bool writePictures();
    static QByteArray applicationIcon();
    static QByteArray fireballIcon();
    static giffile::Animation fireballAnimation();
    bool write(const QString &name, const QByteArray &bytes);

    QDir m_outDir;
};
