#include "image.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

Image::Image(int w, int h, std::uint8_t fill)
    : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, fill)
{
}

namespace {

Image renderExpectation(const ExpectedFrame& expected)
{
    Image image(expected.width, expected.height, 255);
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            std::uint8_t* p = image.at(x, y);
            switch (expected.at(x, y)) {
            case Expect::White: break;
            case Expect::Black: p[0] = p[1] = p[2] = 0; break;
            case Expect::Either: p[0] = p[1] = p[2] = 160; break;
            }
        }
    }
    return image;
}

bool matches(const std::uint8_t* p, Expect e)
{
    const bool white = p[0] == 255 && p[1] == 255 && p[2] == 255;
    const bool black = p[0] == 0 && p[1] == 0 && p[2] == 0;
    switch (e) {
    case Expect::White: return white;
    case Expect::Black: return black;
    case Expect::Either: return white || black;
    }
    return false;
}

}  // namespace

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

long countMismatches(const Image& actual, const ExpectedFrame& expected)
{
    if (actual.width != expected.width || actual.height != expected.height) {
        return static_cast<long>(expected.width) * expected.height;
    }
    long mismatches = 0;
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            if (!matches(actual.at(x, y), expected.at(x, y))) {
                ++mismatches;
            }
        }
    }
    return mismatches;
}

std::string saveMismatch(const std::string& name, const Image& actual, const ExpectedFrame& expected)
{
    const std::filesystem::path folder = std::filesystem::path(MORVANE_TEST_ARTIFACTS);
    std::filesystem::create_directories(folder);
    const std::string base = (folder / name).string();

    const Image wanted = renderExpectation(expected);
    // The difference: red where the window shows a wrong colour, the window's
    // own grey level elsewhere (faded) so the figure stays recognisable.
    Image diff(expected.width, expected.height, 255);
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            std::uint8_t* d = diff.at(x, y);
            const bool inside = x < actual.width && y < actual.height;
            if (inside && matches(actual.at(x, y), expected.at(x, y))) {
                d[0] = d[1] = d[2] = static_cast<std::uint8_t>(192 + actual.at(x, y)[0] / 4);
            } else {
                d[0] = 255;
                d[1] = d[2] = 0;
            }
        }
    }
    writePng(base + "-actual.png", actual);
    writePng(base + "-expected.png", wanted);
    writePng(base + "-diff.png", diff);
    return "wrote " + base + "-actual.png, " + base + "-expected.png and " + base + "-diff.png";
}
