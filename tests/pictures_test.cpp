// The picture tool: its frames are the program's, tick by tick.
#include <gtest/gtest.h>

#include "animated_gif.h"
#include "animation.h"
#include "icons.h"
#include "image.h"
#include "reference_frame.h"
#include "running_program.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

class Pictures : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = std::filesystem::path(MORVANE_TEST_ARTIFACTS) / "pictures-test";
        std::filesystem::remove_all(folder);
        const CompletedRun tool = runToCompletion({MORVANE_PICTURES, folder.string()}, Milliseconds(60000));
        ASSERT_TRUE(tool.succeeded()) << "morvane_pictures failed";
        printed = tool.lines;
    }

    static std::filesystem::path folder;
    static std::vector<std::string> printed;
};

std::filesystem::path Pictures::folder;
std::vector<std::string> Pictures::printed;

TEST_F(Pictures, AnimatedGifHoldsTwoCyclesAtFiftyMillisecondsAFrame)
{
    const std::string path = (folder / "morvane.gif").string();
    EXPECT_NE(std::find(printed.begin(), printed.end(), path), printed.end()) << "the tool did not name " << path;
    const AnimatedGif gif = readAnimatedGif(path);
    ASSERT_EQ(gif.frames.size(), 2u * ticksPerCycle);
    EXPECT_TRUE(gif.loops);
    for (size_t i = 0; i < gif.frames.size(); ++i) {
        const long tick = static_cast<long>(i) + 1;
        SCOPED_TRACE("tick " + std::to_string(tick));
        EXPECT_EQ(gif.delays[i] * 10, tickPeriodMilliseconds);
        const ExpectedFrame expected = referenceFrame(expectedStateAfterTick(tick));
        const long mismatches = countMismatches(gif.frames[i], expected);
        EXPECT_EQ(mismatches, 0) << saveMismatch("gif-tick-" + std::to_string(tick), gif.frames[i], expected);
    }
}

TEST_F(Pictures, ContactSheetShowsOneCycleInRowsOfEight)
{
    const Image sheet = readPng((folder / "morvane-cycle.png").string());
    // Eight thumbnails of 125 pixels with 8 pixel margins across, five rows
    // of 125 plus a 16 pixel label down.
    ASSERT_EQ(sheet.width, 8 + 8 * 133);
    ASSERT_EQ(sheet.height, 8 + 5 * 149);
    const auto centre = [&](int index) {
        return sheet.at(8 + (index % 8) * 133 + 62, 8 + (index / 8) * 149 + 62)[0];
    };
    EXPECT_EQ(centre(0), 255);   // tick 1: nothing in sight yet
    EXPECT_EQ(centre(19), 0);    // tick 20: the merged figure
    EXPECT_EQ(centre(36), 0);    // tick 37: the smallest figure still covers the centre
    EXPECT_EQ(centre(37), 255);  // tick 38: reset, the squares are out again
}

// The pictures the README shows are the ones the tool draws now: the
// animation frame for frame, the contact sheet thumbnail for thumbnail (its
// labels are in the X server's font, which differs between releases).
// scripts/pictures docs draws them again.
TEST_F(Pictures, InTheReadmeAreTheOnesTheToolDraws)
{
    const AnimatedGif shown = readAnimatedGif(std::string(MORVANE_DOCS) + "/morvane.gif");
    const AnimatedGif drawn = readAnimatedGif((folder / "morvane.gif").string());
    ASSERT_EQ(shown.frames.size(), drawn.frames.size());
    EXPECT_EQ(shown.delays, drawn.delays);
    for (size_t i = 0; i < shown.frames.size(); ++i) {
        EXPECT_TRUE(shown.frames[i].rgb == drawn.frames[i].rgb) << "frame " << i << " of docs/morvane.gif";
    }
    const Image shownSheet = readPng(std::string(MORVANE_DOCS) + "/morvane-cycle.png");
    const Image drawnSheet = readPng((folder / "morvane-cycle.png").string());
    ASSERT_EQ(std::make_pair(shownSheet.width, shownSheet.height), std::make_pair(drawnSheet.width, drawnSheet.height));
    for (int cell = 0; cell < ticksPerCycle; ++cell) {
        for (int y = 0; y < 125; ++y) {
            const int top = 8 + (cell / 8) * 149 + y;
            const int left = 8 + (cell % 8) * 133;
            ASSERT_TRUE(std::equal(shownSheet.at(left, top), shownSheet.at(left + 125, top), drawnSheet.at(left, top)))
                << "thumbnail " << cell << " of docs/morvane-cycle.png";
        }
    }
}

// The icons kept in the repository in every form (PNGs, the page's favicon
// among them, the Windows icon and the X11 window's) are the ones the tool
// draws now: the PNGs pixel for pixel, the others byte for byte.
TEST(Icons, InTheRepositoryAreTheOnesTheToolDraws)
{
    const std::filesystem::path folder = std::filesystem::path(MORVANE_TEST_ARTIFACTS) / "icons-test";
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(runToCompletion({MORVANE_PICTURES, "--icons", folder.string()}, Milliseconds(60000)).succeeded())
        << "morvane_pictures --icons failed";
    const auto bytes = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    int compared = 0;
    for (const auto& kept : std::filesystem::recursive_directory_iterator(MORVANE_ICONS)) {
        if (kept.is_regular_file()) {
            SCOPED_TRACE(kept.path().string() + " (scripts/pictures --icons draws them again)");
            const std::filesystem::path drawn = folder / std::filesystem::relative(kept.path(), MORVANE_ICONS);
            if (kept.path().extension() == ".png") {
                EXPECT_TRUE(readPng(drawn.string()).rgb == readPng(kept.path().string()).rgb);
            } else {
                EXPECT_TRUE(bytes(drawn) == bytes(kept.path()));
            }
            ++compared;
        }
    }
    // The PNGs, the Windows icon and the X11 window's.
    EXPECT_EQ(compared, static_cast<int>(iconSizes.size()) + 2);
}

}  // namespace
