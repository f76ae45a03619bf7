#include "image.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

Image::Image(int w, int h, std::uint8_t fill)
    : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, fill)
{
}

void writePng(const std::string& path, const Image& image)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng failed on " + path);
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        png_write_row(png, image.at(0, y));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
}

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
