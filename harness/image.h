#pragma once

// Pictures as the tools and tests hold them, and PNG files.

#include <cstdint>
#include <string>
#include <vector>

// An RGB picture, row 0 at the top as X and PNG store it.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    Image() = default;
    Image(int w, int h, std::uint8_t fill);
    std::uint8_t* at(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Writes an 8-bit RGB PNG; throws if it cannot.
void writePng(const std::string& path, const Image& image);

// Reads an 8-bit RGB or RGBA PNG; throws if it cannot.
Image readPng(const std::string& path);
