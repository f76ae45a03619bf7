// The built program, run as a person runs it, on a private X server.
#include <gtest/gtest.h>

#include "common/child_process.h"
#include "common/x_window.h"
#include "support/program_checks.h"

#include <sys/wait.h>

#include <thread>

namespace {

const auto* const xServer = ::testing::AddGlobalTestEnvironment(new XServerEnvironment);

constexpr Milliseconds windowTimeout{10000};

struct Arguments {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const Arguments& a, std::ostream* out)
{
    *out << a.name;
}

class ProgramStart : public ::testing::TestWithParam<Arguments> {};

// Other arguments are GLUT's to take or leave; none may change the program.
TEST_P(ProgramStart, OpensItsWindowAndShowsAWhiteFirstFrame)
{
    RunningProgram program(MORVANE_EXECUTABLE, testDisplay(), GetParam().args);
    XConnection x(testDisplay());
    const Window window = waitForViewableWindow(x.get(), "Morvane", windowTimeout);
    ASSERT_NE(window, None) << "no viewable window titled Morvane";

    const WindowPlacement placement = placementOf(x.get(), window);
    EXPECT_EQ(placement.x, 100);
    EXPECT_EQ(placement.y, 100);
    EXPECT_EQ(placement.width, 500);
    EXPECT_EQ(placement.height, 500);

    // Until the third tick every square is still outside the window. The
    // first frame that can be seen must be that white one, however late.
    const long tick = waitForExpectedFrame(program, x.get(), window, std::string("first-frame-") + GetParam().name,
                                           Blank::Counts, 1000);
    EXPECT_GE(tick, 0);
    EXPECT_LE(tick, 2) << "the first frame seen was already an animated one";

    program.readLines(20, Milliseconds(5000));
    expectTraceFromTheStart(program.lines());
    EXPECT_TRUE(program.running());
}

INSTANTIATE_TEST_SUITE_P(CommandLines, ProgramStart,
                         ::testing::Values(Arguments{"plain", {}}, Arguments{"extraArguments", {"foo", "--bar"}}),
                         [](const ::testing::TestParamInfo<Arguments>& info) { return std::string(info.param.name); });

class ProgramWithoutDisplay : public ::testing::TestWithParam<const char*> {};

TEST_P(ProgramWithoutDisplay, EndsWithAFailureStatusPromptly)
{
    RunningProgram program(MORVANE_EXECUTABLE, GetParam());
    const std::optional<int> status = program.waitForExit(Milliseconds(5000));
    ASSERT_TRUE(status.has_value()) << "still running five seconds after starting without a display";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) != 0) << "status " << *status;
    EXPECT_TRUE(program.readLines(0, Milliseconds(0)).empty());
}

INSTANTIATE_TEST_SUITE_P(Displays, ProgramWithoutDisplay, ::testing::Values("", ":4095"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(*info.param ? "unreachableDisplay" : "noDisplay");
                         });

TEST(ProgramTrace, IsTheExpectedSequenceLineByLine)
{
    RunningProgram program(MORVANE_EXECUTABLE, testDisplay());
    program.readLines(1, windowTimeout);
    const auto first = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - first < Milliseconds(3200)) {
        program.readLines(program.lines().size() + 1, Milliseconds(200));
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - first).count();
    RecordProperty("ticks", static_cast<int>(program.lines().size()));
    EXPECT_GE(program.lines().size(), 60u);
    // The timer re-arms after each tick's work, so the rate is a little under 20 a second.
    EXPECT_LE(static_cast<double>(program.lines().size()), seconds * 20.0 + 2.0);
    expectTraceFromTheStart(program.lines());
    EXPECT_EQ(program.partialLine(), "") << "a line arrived in pieces";
}

TEST(ProgramFrames, FollowTheAnimationThroughACycle)
{
    RunningProgram program(MORVANE_EXECUTABLE, testDisplay());
    XConnection x(testDisplay());
    const Window window = waitForViewableWindow(x.get(), "Morvane", windowTimeout);
    ASSERT_NE(window, None);
    long last = -1;
    int checked = 0;
    // About two and a half cycles, sampled at uneven moments.
    for (int i = 0; i < 24; ++i) {
        const long tick = waitForExpectedFrame(program, x.get(), window, "animation-" + std::to_string(i));
        ASSERT_GE(tick, 0);
        EXPECT_GE(tick, last);
        last = tick;
        ++checked;
        std::this_thread::sleep_for(Milliseconds(130 + 40 * (i % 3)));
    }
    EXPECT_GT(last, 38) << "the animation did not get through a cycle";
    expectTraceFromTheStart(program.readLines(0, Milliseconds(0)));
}

// Whatever becomes of the trace, the window keeps animating.
class ProgramOutputLost : public ::testing::TestWithParam<TraceOutput> {};

TEST_P(ProgramOutputLost, KeepsAnimating)
{
    RunningProgram program(MORVANE_EXECUTABLE, testDisplay(), {}, GetParam());
    if (GetParam() == TraceOutput::Pipe) {
        // Like `morvane | head -n 3`: the reader takes three lines and goes.
        ASSERT_GE(program.readLines(3, windowTimeout).size(), 3u);
        program.closeTrace();
    }
    XConnection x(testDisplay());
    const Window window = waitForViewableWindow(x.get(), "Morvane", windowTimeout);
    ASSERT_NE(window, None);
    std::this_thread::sleep_for(Milliseconds(600));
    ASSERT_TRUE(program.running()) << "the program ended when its output went";

    // The frames that follow keep changing: no two ticks 300 ms apart look alike.
    for (int i = 0; i < 4; ++i) {
        const Image before = captureDrawable(x.get(), window);
        std::this_thread::sleep_for(Milliseconds(300));
        const Image after = captureDrawable(x.get(), window);
        EXPECT_NE(before.rgb, after.rgb) << "the window stopped changing";
    }
    EXPECT_TRUE(program.running());
}

INSTANTIATE_TEST_SUITE_P(Outputs, ProgramOutputLost, ::testing::Values(TraceOutput::Pipe, TraceOutput::DevFull),
                         [](const ::testing::TestParamInfo<TraceOutput>& info) {
                             return std::string(info.param == TraceOutput::Pipe ? "readerGone" : "deviceFull");
                         });

// Resized from outside, as a window manager would: the drawing stays
// 500 x 500 at the lower-left, the rest of the window is background, and the
// trace carries on.
TEST(ProgramResize, KeepsTheDrawingAnchoredAtTheLowerLeft)
{
    RunningProgram program(MORVANE_EXECUTABLE, testDisplay());
    XConnection x(testDisplay());
    const Window window = waitForViewableWindow(x.get(), "Morvane", windowTimeout);
    ASSERT_NE(window, None);

    const std::pair<int, int> sizes[] = {{800, 700}, {300, 200}, {640, 500}, {500, 260}, {1200, 900}, {500, 500}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        XResizeWindow(x.get(), window, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XSync(x.get(), False);
        std::this_thread::sleep_for(Milliseconds(250));
        const WindowPlacement placement = placementOf(x.get(), window);
        ASSERT_EQ(placement.width, width);
        ASSERT_EQ(placement.height, height);
        EXPECT_GE(waitForExpectedFrame(program, x.get(), window,
                                       "resized-" + std::to_string(width) + "x" + std::to_string(height)),
                  0);
    }
    expectTraceFromTheStart(program.readLines(0, Milliseconds(0)));
    EXPECT_GT(program.lines().size(), 20u);
}

}  // namespace
