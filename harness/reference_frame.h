#pragma once

// The frames the window must show, and how a captured frame is compared.
#include "expected_animation.h"
#include "image.h"
#include "window.h"

#include <cstdint>
#include <string>
#include <vector>

// What one window pixel must show; Either marks pixels so close to an edge of
// a square that rasterisation rules decide.
enum class Expect : std::uint8_t { White, Black, Either };

struct ExpectedFrame {
    int width = 0;
    int height = 0;
    std::vector<Expect> pixels;  // row 0 at the top

    Expect at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The frame a window of the given size must show for a state, worked out
// from the geometry alone: four squares of side 5 at their places, turned by
// their own angles, the whole figure scaled and spun about the centre, world
// -5..5 filling a square viewport at the window's lower-left corner. The
// viewport keeps the window's first size whatever the window becomes; a
// page on a high-density screen makes it that many device pixels.
ExpectedFrame referenceFrame(const SceneState& state, int width = windowWidth, int height = windowHeight,
                             int viewportSize = windowWidth);

// Pixels that differ from the expectation (sizes must match, else every pixel counts).
long countMismatches(const Image& actual, const ExpectedFrame& expected);

// Writes actual, expected and difference PNGs into the build folder's
// test-artifacts directory and returns a message naming them.
std::string saveMismatch(const std::string& name, const Image& actual, const ExpectedFrame& expected);
