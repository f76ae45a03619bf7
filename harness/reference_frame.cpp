#include "reference_frame.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>

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

constexpr double pi = 3.14159265358979323846;
// Pixel centres nearer than this to a square's edge may go either way.
constexpr double edgeBandPixels = 1.0;

// A square's centre and the cosine and sine of its own turn.
struct Square {
    double x, y, cos, sin;
};

Square square(double x, double y, double degrees)
{
    const double t = degrees * pi / 180.0;
    return {x, y, std::cos(t), std::sin(t)};
}

}  // namespace

ExpectedFrame referenceFrame(const SceneState& state, int width, int height, int viewportSize)
{
    const double pixelsPerUnit = viewportSize / 10.0;
    const double a = state.offset;
    const std::array<Square, 4> squares{
        square(0.0, 10.0 - a, 0.0),
        square(-10.0 + a, 0.0, 45.0),
        square(0.0, -10.0 + a, 25.0),
        square(10.0 - a, 0.0, 65.0),
    };
    const double spinCos = std::cos(state.spin * pi / 180.0);
    const double spinSin = std::sin(state.spin * pi / 180.0);

    ExpectedFrame frame{width, height, {}};
    frame.pixels.assign(static_cast<size_t>(width) * height, Expect::White);
    for (int row = 0; row < height; ++row) {
        const int up = height - 1 - row;  // pixel row counted from the bottom
        if (up >= viewportSize) {
            continue;
        }
        for (int col = 0; col < std::min(width, viewportSize); ++col) {
            const double wx = (col + 0.5) / pixelsPerUnit - 5.0;
            const double wy = (up + 0.5) / pixelsPerUnit - 5.0;
            // Undo the figure's scale and spin.
            const double fx = (spinCos * wx + spinSin * wy) / state.scale;
            const double fy = (-spinSin * wx + spinCos * wy) / state.scale;
            bool black = false;
            bool nearEdge = false;
            for (const Square& s : squares) {
                const double dx = fx - s.x;
                const double dy = fy - s.y;
                const double lx = s.cos * dx + s.sin * dy;
                const double ly = -s.sin * dx + s.cos * dy;
                const double reach = std::max(std::abs(lx), std::abs(ly));
                black = black || reach <= 2.5;
                nearEdge = nearEdge || std::abs(reach - 2.5) * state.scale * pixelsPerUnit < edgeBandPixels;
            }
            frame.pixels[static_cast<size_t>(row) * width + col] =
                nearEdge ? Expect::Either : (black ? Expect::Black : Expect::White);
        }
    }
    return frame;
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
