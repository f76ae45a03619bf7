#include "animated_gif.h"

#include <gif_lib.h>

#include <cstring>
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

AnimatedGif readAnimatedGif(const std::string& path)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (gif == nullptr) {
        throw std::runtime_error("cannot read " + path + ": " + GifErrorString(error));
    }
    if (DGifSlurp(gif) == GIF_ERROR) {
        const std::string message = GifErrorString(gif->Error);
        DGifCloseFile(gif, &error);
        throw std::runtime_error("cannot decode " + path + ": " + message);
    }
    AnimatedGif result;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& saved = gif->SavedImages[i];
        const ColorMapObject* map = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : gif->SColorMap;
        Image frame(gif->SWidth, gif->SHeight, 255);
        for (int y = 0; y < saved.ImageDesc.Height; ++y) {
            for (int x = 0; x < saved.ImageDesc.Width; ++x) {
                const GifColorType& c =
                    map->Colors[saved.RasterBits[static_cast<size_t>(y) * saved.ImageDesc.Width + x]];
                std::uint8_t* p = frame.at(saved.ImageDesc.Left + x, saved.ImageDesc.Top + y);
                p[0] = c.Red;
                p[1] = c.Green;
                p[2] = c.Blue;
            }
        }
        result.frames.push_back(std::move(frame));
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        result.delays.push_back(control.DelayTime);
        for (int e = 0; e < saved.ExtensionBlockCount; ++e) {
            const ExtensionBlock& block = saved.ExtensionBlocks[e];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0) {
                result.loops = true;
            }
        }
    }
    DGifCloseFile(gif, &error);
    return result;
}
