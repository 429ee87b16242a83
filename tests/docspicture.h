// SPDX-License-Identifier: MIT
#pragma once

#include <QDir>
#include <QImage>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdlib>

// The pictures in docs/ are drawn by the tests that bring the program into
// the states they show (LASER_SOURCE_DIR and LASER_TEST_OUTPUT name the
// folders). A test hands its picture to docsPictureDrift(), which saves it in
// the build folder and holds it against the committed copy; with
// LASER_DOCS_PICTURES naming a folder (scripts/pictures.sh names docs/), the
// picture is written there instead.
//
// The tolerance: both pictures are cut into blocks of 4 x 4 pixels, each
// averaged, and at most 0.4 % of the blocks may differ by more than 32 levels
// in a channel. Drawn by Qt 6.8 (Debian 13) against Qt 6.4 (Debian 12), whose
// styles, FreeType and fonts differ, themes.png differs by 0.15 % and
// console.png by 0.03 %; the console's title with its second line 4 px
// lower differs by 0.7 %, and themes.png with the title 4 px lower by 1.8 %.
namespace docspicture {

inline constexpr int kBlock = 4;
inline constexpr int kLevels = 32;
inline constexpr double kShare = 0.004;

// The block of kBlock x kBlock pixels whose top left is (x, y), averaged:
// red, green, blue.
inline std::array<int, 3> blockMean(const QImage &image, int x, int y)
{
    std::array<int, 3> sum{};
    for (int row = y; row < y + kBlock; ++row) {
        for (int column = x; column < x + kBlock; ++column) {
            const QRgb pixel = image.pixel(column, row);
            sum[0] += qRed(pixel);
            sum[1] += qGreen(pixel);
            sum[2] += qBlue(pixel);
        }
    }
    for (int &channel : sum)
        channel = (channel + kBlock * kBlock / 2) / (kBlock * kBlock);
    return sum;
}

// The share of blocks whose mean channels lie more than kLevels apart.
inline double shareApart(const QImage &drawn, const QImage &committed)
{
    const QImage a = drawn.convertToFormat(QImage::Format_RGB32);
    const QImage b = committed.convertToFormat(QImage::Format_RGB32);
    int apart = 0;
    int blocks = 0;
    for (int y = 0; y + kBlock <= a.height(); y += kBlock) {
        for (int x = 0; x + kBlock <= a.width(); x += kBlock) {
            const std::array<int, 3> p = blockMean(a, x, y);
            const std::array<int, 3> q = blockMean(b, x, y);
            int most = 0;
            for (std::size_t i = 0; i < p.size(); ++i)
                most = std::max(most, std::abs(p[i] - q[i]));
            apart += most > kLevels;
            ++blocks;
        }
    }
    return blocks ? double(apart) / blocks : 0;
}

} // namespace docspicture

// Saves the picture a test drew for docs/<name> in the build folder and
// returns how the committed copy differs from it, or nothing when it matches;
// with LASER_DOCS_PICTURES set, writes it into that folder instead.
inline QString docsPictureDrift(const QImage &drawn, const QString &name)
{
    const QString update = qEnvironmentVariable("LASER_DOCS_PICTURES");
    if (!update.isEmpty()) {
        return drawn.save(QDir(update).filePath(name))
                   ? QString()
                   : QStringLiteral("cannot write %1 into %2").arg(name, update);
    }
    const QString fresh = QStringLiteral(LASER_TEST_OUTPUT "/") + name;
    if (!drawn.save(fresh))
        return QStringLiteral("cannot write ") + fresh;
    const QString path = QStringLiteral(LASER_SOURCE_DIR "/docs/") + name;
    const QImage committed(path);
    const QString redraw =
        QStringLiteral("; the program's picture is %1, and bash scripts/pictures.sh "
                       "redraws every picture in docs/")
            .arg(fresh);
    if (committed.size() != drawn.size()) {
        return QStringLiteral("%1 is %2 x %3 pixels, not %4 x %5")
                   .arg(path)
                   .arg(committed.width())
                   .arg(committed.height())
                   .arg(drawn.width())
                   .arg(drawn.height()) +
               redraw;
    }
    const double share = docspicture::shareApart(drawn, committed);
    if (share > docspicture::kShare) {
        return QStringLiteral("%1 no longer shows what the program draws: %2 % of it differs "
                              "by more than %3 levels (at most %4 % may)")
                   .arg(path)
                   .arg(100 * share, 0, 'f', 2)
                   .arg(docspicture::kLevels)
                   .arg(100 * docspicture::kShare, 0, 'f', 1) +
               redraw;
    }
    return {};
}
