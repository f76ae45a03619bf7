// morvane.exe, the Windows build, run under wine on a private X server:
// the same trace and the same frames as the Linux build. Run by
// scripts/windows, which builds the executable and names it in
// MORVANE_WINDOWS_EXE.
#include <gtest/gtest.h>

#include "common/child_process.h"
#include "common/x_window.h"
#include "support/program_checks.h"

#include <cstdlib>
#include <memory>
#include <thread>

namespace {

const auto* const xServer = ::testing::AddGlobalTestEnvironment(new XServerEnvironment);

class UnderWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* exe = std::getenv("MORVANE_WINDOWS_EXE");
        if (exe == nullptr || *exe == '\0') {
            GTEST_SKIP() << "MORVANE_WINDOWS_EXE does not name a morvane.exe (scripts/windows sets it)";
        }
        program = std::make_unique<RunningProgram>("wine", testDisplay(), std::vector<std::string>{exe});
    }

    std::unique_ptr<RunningProgram> program;
};

TEST_F(UnderWine, PrintsTheExpectedTraceOnItsConsole)
{
    ASSERT_FALSE(program->readLines(1, Milliseconds(60000)).empty()) << "no output from morvane.exe";
    const auto first = Clock::now();
    while (Clock::now() - first < Milliseconds(3200)) {
        program->readLines(program->lines().size() + 1, Milliseconds(200));
    }
    EXPECT_GE(program->lines().size(), 60u);
    expectTraceFromTheStart(program->lines());
}

TEST_F(UnderWine, ShowsTheSameFramesInItsWindow)
{
    XConnection x(testDisplay());
    // Wine draws the frame around the window itself: the X window is the
    // client area.
    const Window window = waitForViewableWindow(x.get(), "Morvane", Milliseconds(60000));
    ASSERT_NE(window, None) << "no viewable window titled Morvane";
    const WindowPlacement placement = placementOf(x.get(), window);
    EXPECT_EQ(placement.width, 500);
    EXPECT_EQ(placement.height, 500);

    long last = -1;
    for (int i = 0; i < 12; ++i) {
        const long tick = waitForExpectedFrame(*program, x.get(), window, "wine-" + std::to_string(i));
        ASSERT_GE(tick, 0);
        EXPECT_GE(tick, last);
        last = tick;
        std::this_thread::sleep_for(Milliseconds(150 + 40 * (i % 3)));
    }
    EXPECT_GT(last, 38) << "the animation did not get through a cycle";
    expectTraceFromTheStart(program->readLines(0, Milliseconds(0)));
}

}  // namespace
