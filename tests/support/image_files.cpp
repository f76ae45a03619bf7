#include "image_files.h"

#include <gif_lib.h>
#include <png.h>

#include <cstring>
#include <stdexcept>

Image readPng(const std::string& path)
{
    png_image reader{};
    reader.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&reader, path.c_str()) == 0) {
        throw std::runtime_error("cannot read " + path + ": " + reader.message);
    }
    reader.format = PNG_FORMAT_RGB;
    Image image(static_cast<int>(reader.width), static_cast<int>(reader.height), 0);
    if (png_image_finish_read(&reader, nullptr, image.rgb.data(), 0, nullptr) == 0) {
        throw std::runtime_error("cannot decode " + path + ": " + reader.message);
    }
    return image;
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
