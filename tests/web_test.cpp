// The page in headless Chromium: the frames its canvas shows at device pixel
// ratios 1 and 2. Its trace and the pace of its ticks are checked with the
// other builds' in program_test.cpp (copying the canvas out, as here, holds
// up the page's timers). The web test preset names the page in
// MORVANE_WEB_PAGE.
#include <gtest/gtest.h>

#include "animation/animation_state.h"
#include "support/image_files.h"
#include "support/program_checks.h"
#include "support/program_runner.h"

#include <sys/wait.h>

#include <filesystem>
#include <fstream>

namespace {

class PageFrames : public ::testing::TestWithParam<int> {};

TEST_P(PageFrames, MatchTheReferenceAtTheDevicePixelRatio)
{
    const int ratio = GetParam();
    const std::filesystem::path folder =
        std::filesystem::path(MORVANE_TEST_ARTIFACTS) / ("page-frames-x" + std::to_string(ratio));
    std::filesystem::remove_all(folder);
    const std::vector<std::string> command = programCommand(
        pageInBrowser, {"--seconds", "5", "--scale", std::to_string(ratio), "--frames", folder.string()});
    ASSERT_FALSE(command.empty()) << pageInBrowser.buildVariable << " does not name the page";
    RunningProgram driver(command, "");
    const std::optional<int> status = driver.waitForExit(Milliseconds(90000));
    ASSERT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "the page's driver failed";

    // Each copy of the canvas shows the frame of a tick from a little before
    // the copy (drawing trails the trace) up to the last line printed. The
    // range is narrow, so a blank frame counts where a blank tick is in it;
    // the counts of each phase below catch a page that shows nothing.
    const int viewport = windowWidth * ratio;
    std::ifstream index(folder / "frames.txt");
    std::string name;
    long before = 0;
    long after = 0;
    int approaching = 0;
    int shrinking = 0;
    while (index >> name >> before >> after) {
        SCOPED_TRACE(name);
        const Image shown = readPng((folder / name).string());
        ASSERT_EQ(shown.width, viewport);
        ASSERT_EQ(shown.height, viewport);
        const FrameMatch match = matchFrame(shown, before - 4, after, Blank::Counts, viewport);
        if (match.tick < 0) {
            ADD_FAILURE() << "closest miss " << match.fewest << " pixels; "
                          << saveMismatch("page-x" + std::to_string(ratio) + "-" + name, shown, match.closest);
        } else if (match.tick % ticksPerCycle > 2) {
            ++(match.tick % ticksPerCycle < 20 ? approaching : shrinking);
        }
    }
    EXPECT_GT(approaching, 2) << "too few frames of squares approaching";
    EXPECT_GT(shrinking, 2) << "too few frames of the shrinking figure";
}

INSTANTIATE_TEST_SUITE_P(Ratios, PageFrames, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "devicePixelRatio" + std::to_string(info.param);
                         });

}  // namespace
