#include "reference.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int viewportSize = 500;
constexpr double pixelsPerUnit = viewportSize / 10.0;
// Pixel centres nearer than this to a square's edge may go either way.
constexpr double edgeBandPixels = 1.0;

struct Square {
    double x, y, angle;
};

}  // namespace

ExpectedFrame referenceFrame(const SceneState& state, int windowWidth, int windowHeight)
{
    const double a = state.offset;
    const std::array<Square, 4> squares{{
        {0.0, 10.0 - a, 0.0},
        {-10.0 + a, 0.0, 45.0},
        {0.0, -10.0 + a, 25.0},
        {10.0 - a, 0.0, 65.0},
    }};
    const double spin = state.spin * pi / 180.0;

    ExpectedFrame frame{windowWidth, windowHeight, {}};
    frame.pixels.assign(static_cast<size_t>(windowWidth) * windowHeight, Expect::White);
    for (int row = 0; row < windowHeight; ++row) {
        const int up = windowHeight - 1 - row;  // pixel row counted from the bottom
        if (up >= viewportSize) {
            continue;
        }
        for (int col = 0; col < std::min(windowWidth, viewportSize); ++col) {
            const double wx = (col + 0.5) / pixelsPerUnit - 5.0;
            const double wy = (up + 0.5) / pixelsPerUnit - 5.0;
            // Undo the figure's scale and spin.
            const double fx = (std::cos(spin) * wx + std::sin(spin) * wy) / state.scale;
            const double fy = (-std::sin(spin) * wx + std::cos(spin) * wy) / state.scale;
            bool black = false;
            bool nearEdge = false;
            for (const Square& s : squares) {
                const double t = s.angle * pi / 180.0;
                const double dx = fx - s.x;
                const double dy = fy - s.y;
                const double lx = std::cos(t) * dx + std::sin(t) * dy;
                const double ly = -std::sin(t) * dx + std::cos(t) * dy;
                const double reach = std::max(std::abs(lx), std::abs(ly));
                black = black || reach <= 2.5;
                nearEdge = nearEdge || std::abs(reach - 2.5) * state.scale * pixelsPerUnit < edgeBandPixels;
            }
            frame.pixels[static_cast<size_t>(row) * windowWidth + col] =
                nearEdge ? Expect::Either : (black ? Expect::Black : Expect::White);
        }
    }
    return frame;
}

SceneState expectedStateAfterTick(long tick)
{
    const long cycle = tick / 38;
    const long k = tick % 38;
    const double spinAtStart = 95.0 * static_cast<double>(cycle);
    if (k <= 19) {
        return {0.5 * static_cast<double>(k), 1.0, spinAtStart};
    }
    const double shrinks = static_cast<double>(k - 19);
    return {10.0, 1.0 - 0.05 * shrinks, spinAtStart + 5.0 * shrinks};
}

std::string expectedTraceLine(long tick)
{
    static const std::array<const char*, 18> shrinking{
        "0.95", "0.9", "0.85", "0.8", "0.75", "0.7", "0.65", "0.6", "0.55",
        "0.5", "0.45", "0.4", "0.35", "0.3", "0.25", "0.2", "0.15", "0.0999998",
    };
    const long k = tick % 38;
    return k >= 20 ? shrinking[static_cast<size_t>(k - 20)] : "1";
}
