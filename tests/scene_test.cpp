#include <gtest/gtest.h>

#include "animation.h"
#include "display_environment.h"
#include "frame_window.h"
#include "glut_headers.h"
#include "reference_frame.h"
#include "window.h"

#include <algorithm>
#include <array>

namespace {

const auto* const display = ::testing::AddGlobalTestEnvironment(new PrivateDisplayEnvironment);

// Tests that draw do so in the program's own window, opened in this process
// once, on the test display, which then stays until the process ends.
void openProgramWindowOnce()
{
    static bool open = false;
    if (!open) {
        openProgramWindow();
        keepTestDisplayUntilExit();
        open = true;
    }
}

template <typename Base>
class InProgramWindow : public Base {
protected:
    static void SetUpTestSuite() { openProgramWindowOnce(); }
};

struct FrameCase {
    const char* name;
    float offset, scale, spin;
};

void PrintTo(const FrameCase& c, std::ostream* out)
{
    *out << c.name;
}

class SceneFrame : public InProgramWindow<::testing::TestWithParam<FrameCase>> {};

TEST_P(SceneFrame, MatchesTheGeometryPixelForPixel)
{
    const FrameCase& c = GetParam();
    const Image actual = drawFrameAndCapture({c.scale, c.offset, c.offset >= 10.0f ? 0.5f : 0.0f, c.spin});
    const ExpectedFrame expected = referenceFrame({c.offset, c.scale, c.spin});

    const long mismatches = countMismatches(actual, expected);
    EXPECT_EQ(mismatches, 0) << saveMismatch(std::string("frame-") + c.name, actual, expected);
}

INSTANTIATE_TEST_SUITE_P(
    States, SceneFrame,
    ::testing::Values(FrameCase{"initial", 0.0f, 1.0f, 0.0f},
                      FrameCase{"leftSquareEntering", 1.5f, 1.0f, 0.0f},
                      FrameCase{"leftSquareIn", 2.5f, 1.0f, 0.0f},
                      FrameCase{"topSquareEntering", 3.0f, 1.0f, 0.0f},
                      FrameCase{"approachingSecondCycle", 6.5f, 1.0f, 95.0f},
                      FrameCase{"mergedAndSpun", 10.0f, 0.75f, 30.0f},
                      FrameCase{"smallestOfCycle", 10.0f, 0.0999998f, 90.0f},
                      FrameCase{"tiny", 10.0f, 0.05f, 275.0f}),
    ::testing::PrintToStringParamName());

// The tests above are only as good as the reference: it must put squares
// where the window can see them for every state but the initial one.
TEST(SceneReference, ShowsSquaresOnlyOnceTheyEnter)
{
    const auto notWhite = [](const SceneState& s) {
        const ExpectedFrame f = referenceFrame(s);
        return std::count_if(f.pixels.begin(), f.pixels.end(), [](Expect e) { return e != Expect::White; });
    };
    EXPECT_EQ(notWhite({0.0, 1.0, 0.0}), 0);
    EXPECT_EQ(notWhite({1.0, 1.0, 0.0}), 0);
    EXPECT_GT(notWhite({1.5, 1.0, 0.0}), 0);
    EXPECT_GT(notWhite({2.5, 1.0, 0.0}), 1000);
    EXPECT_GT(notWhite({10.0, 0.0999998, 90.0}), 300);
}

using Matrix = std::array<GLfloat, 16>;

Matrix currentMatrix(GLenum which)
{
    Matrix m{};
    glGetFloatv(which, m.data());
    return m;
}

// glOrtho(-5, 5, -5, 5, -5, 5): world -5..5 onto -1..1 on every axis, z flipped.
const Matrix orthographic{0.2f, 0, 0, 0, 0, 0.2f, 0, 0, 0, 0, -0.2f, 0, 0, 0, 0, 1};
const Matrix identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

class SceneMatrices : public InProgramWindow<::testing::Test> {};

TEST_F(SceneMatrices, DrawingLeavesTheModelViewMatrixAsItFoundIt)
{
    ASSERT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), orthographic);
    drawFrameAndCapture({0.6f, 10.0f, 0.5f, 125.0f});
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), orthographic);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

struct Size {
    int width, height;
};

void PrintTo(const Size& s, std::ostream* out)
{
    *out << s.width << "x" << s.height;
}

class Reshape : public InProgramWindow<::testing::TestWithParam<Size>> {};

TEST_P(Reshape, ResetsTheProjectionOnlyAndKeepsTheViewport)
{
    // Start from a projection that is not the identity and another matrix
    // mode, so that the handler has to do both jobs itself.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.0, 3.0, -2.0, 2.0, 0.5, 9.0);
    glMatrixMode(GL_TEXTURE);

    reshapeView(GetParam().width, GetParam().height);

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(currentMatrix(GL_PROJECTION_MATRIX), identity);
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), orthographic);
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, windowWidth, windowHeight}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Sizes, Reshape,
                         ::testing::Values(Size{500, 500}, Size{800, 600}, Size{640, 0}, Size{0, 480}, Size{0, 0},
                                           Size{1, 1}, Size{5000, 4000}),
                         ::testing::PrintToStringParamName());

}  // namespace
