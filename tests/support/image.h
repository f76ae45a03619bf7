#pragma once

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

// What one window pixel must show; Either marks pixels so close to an edge of
// a square that rasterisation rules decide.
enum class Expect : std::uint8_t { White, Black, Either };

struct ExpectedFrame {
    int width = 0;
    int height = 0;
    std::vector<Expect> pixels;  // row 0 at the top

    Expect at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

void writePng(const std::string& path, const Image& image);

// Pixels that differ from the expectation (sizes must match, else every pixel counts).
long countMismatches(const Image& actual, const ExpectedFrame& expected);

// Writes actual, expected and difference PNGs into the build folder's
// test-artifacts directory and returns a message naming them.
std::string saveMismatch(const std::string& name, const Image& actual, const ExpectedFrame& expected);
