#include "animated_gif.h"

#include <gif_lib.h>

#include <filesystem>
#include <stdexcept>

namespace {

void check(int result, GifFileType* gif, const char* what)
{
    if (result == GIF_ERROR) {
        throw std::runtime_error(std::string(what) + ": " + GifErrorString(gif->Error));
    }
}

}  // namespace

void writeAnimatedGif(const std::string& path, const std::vector<Image>& frames, int delayCentiseconds)
{
    if (frames.empty()) {
        throw std::runtime_error("no frames to write");
    }
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (gif == nullptr) {
        throw std::runtime_error("cannot write " + path + ": " + GifErrorString(error));
    }
    const GifColorType colours[2] = {{255, 255, 255}, {0, 0, 0}};
    ColorMapObject* palette = GifMakeMapObject(2, colours);
    EGifSetGifVersion(gif, true);
    const int width = frames.front().width;
    const int height = frames.front().height;
    check(EGifPutScreenDesc(gif, width, height, 1, 0, palette), gif, "screen");

    // Loop for ever (the NETSCAPE2.0 application extension).
    const unsigned char loop[3] = {1, 0, 0};
    check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), gif, "loop");
    check(EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0"), gif, "loop");
    check(EGifPutExtensionBlock(gif, 3, loop), gif, "loop");
    check(EGifPutExtensionTrailer(gif), gif, "loop");

    std::vector<GifPixelType> line(static_cast<size_t>(width));
    for (const Image& frame : frames) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.DelayTime = delayCentiseconds;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension), gif, "frame delay");
        check(EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr), gif, "frame");
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = frame.at(x, y);
                line[static_cast<size_t>(x)] = (p[0] + p[1] + p[2]) < 3 * 128 ? 1 : 0;
            }
            check(EGifPutLine(gif, line.data(), width), gif, "frame");
        }
    }
    GifFreeMapObject(palette);
    if (EGifCloseFile(gif, &error) == GIF_ERROR) {
        throw std::runtime_error("cannot finish " + path + ": " + GifErrorString(error));
    }
    // giflib creates the file readable by its owner alone.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read | std::filesystem::perms::others_read);
}
