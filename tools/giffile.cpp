// SPDX-License-Identifier: MIT
#include "giffile.h"

#include <gif_lib.h>

#include <memory>

namespace {

struct GifCloser {
    void operator()(GifFileType *gif) const
    {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

int bitsFor(int colours)
{
    int bits = 1;
    while ((1 << bits) < colours) {
        ++bits;
    }
    return bits;
}

bool putLooping(GifFileType *gif)
{
    static const unsigned char application[] = "NETSCAPE2.0";
    static const unsigned char loop[] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, 11, application) == GIF_OK &&
           EGifPutExtensionBlock(gif, 3, loop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool putFrame(GifFileType *gif, const giffile::Animation &animation,
              const std::vector<unsigned char> &pixels)
{
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_BACKGROUND;
    control.UserInputFlag = false;
    control.DelayTime = animation.delayCentiseconds;
    control.TransparentColor = animation.transparentIndex;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_OK ||
        EGifPutImageDesc(gif, 0, 0, animation.width, animation.height, false, nullptr) != GIF_OK) {
        return false;
    }
    for (int y = 0; y < animation.height; ++y) {
        auto *row = const_cast<GifPixelType *>(pixels.data() +
                                               static_cast<std::ptrdiff_t>(y) * animation.width);
        if (EGifPutLine(gif, row, animation.width) != GIF_OK) {
            return false;
        }
    }
    return true;
}

int appendBytes(GifFileType *gif, const GifByteType *bytes, int length)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(bytes), length);
    return length;
}

bool writeTo(QByteArray *out, const giffile::Animation &animation, int *error)
{
    GifHandle gif(EGifOpen(out, appendBytes, error));
    if (!gif) {
        return false;
    }
    const int bits = bitsFor(static_cast<int>(animation.palette.size()));
    std::vector<GifColorType> colours(static_cast<std::size_t>(1) << bits, GifColorType{0, 0, 0});
    for (qsizetype i = 0; i < animation.palette.size(); ++i) {
        const QRgb c = animation.palette[i];
        colours[static_cast<std::size_t>(i)] =
            GifColorType{static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
                         static_cast<GifByteType>(qBlue(c))};
    }
    ColorMapObject *map = GifMakeMapObject(1 << bits, colours.data());
    EGifSetGifVersion(gif.get(), true);
    const bool described =
        EGifPutScreenDesc(gif.get(), animation.width, animation.height, bits, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    if (!described || !putLooping(gif.get())) {
        *error = gif->Error;
        return false;
    }
    for (const std::vector<unsigned char> &frame : animation.frames) {
        if (!putFrame(gif.get(), animation, frame)) {
            *error = gif->Error;
            return false;
        }
    }
    GifFileType *raw = gif.release();
    return EGifCloseFile(raw, error) == GIF_OK;
}

} // namespace

namespace giffile {

QByteArray encode(const Animation &animation, QString *errorText)
{
    QByteArray bytes;
    int error = 0;
    if (!writeTo(&bytes, animation, &error)) {
        *errorText = QString::fromUtf8(GifErrorString(error));
        return {};
    }
    return bytes;
}

} // namespace giffile
