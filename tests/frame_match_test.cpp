// The frame matcher that every frame check of a running program goes
// through: which ticks it looks at, and which one it names.
#include "expected_animation.h"
#include "program_checks.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// What a window showing the frame of a tick holds: white and black where the
// reference says so, black where rasterisation may go either way.
Image shownAtTick(long tick)
{
    const ExpectedFrame frame = referenceFrame(expectedStateAfterTick(tick));
    Image image(frame.width, frame.height, 255);
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            if (frame.at(x, y) != Expect::White) {
                std::fill_n(image.at(x, y), 3, 0);
            }
        }
    }
    return image;
}

struct TickWindow {
    const char* name;
    long shownTick, firstTick, lastTick;
    Blank blank;
    long found;
};

void PrintTo(const TickWindow& w, std::ostream* out)
{
    *out << w.name;
}

class FrameMatcher : public ::testing::TestWithParam<TickWindow> {};

TEST_P(FrameMatcher, FindsTheTickOnlyWithinItsWindow)
{
    const TickWindow& w = GetParam();
    if (w.found >= 0) {
        // Through what the frame checks call, which fails the test on a miss.
        EXPECT_EQ(expectFrameOfTicks(shownAtTick(w.shownTick), w.firstTick, w.lastTick, w.blank, w.name), w.found);
        return;
    }
    const FrameMatch match = matchFrame(shownAtTick(w.shownTick), w.firstTick, w.lastTick, w.blank);
    EXPECT_EQ(match.tick, -1);
    EXPECT_GT(match.fewest, 0) << "a miss must say how near it came";
}

INSTANTIATE_TEST_SUITE_P(
    Windows, FrameMatcher,
    ::testing::Values(TickWindow{"inside", 10, 7, 12, Blank::Skipped, 10},
                      TickWindow{"atTheFirstTick", 10, 10, 14, Blank::Skipped, 10},
                      TickWindow{"atTheLastTick", 10, 6, 10, Blank::Skipped, 10},
                      TickWindow{"justAfter", 10, 11, 14, Blank::Skipped, -1},
                      TickWindow{"justBefore", 10, 6, 9, Blank::Skipped, -1},
                      TickWindow{"windowFromBeforeTheStart", 3, -4, 3, Blank::Skipped, 3},
                      TickWindow{"shrinkingInALaterCycle", 100, 96, 104, Blank::Skipped, 100},
                      TickWindow{"blankCountsFromTheEarliest", 1, 35, 40, Blank::Counts, 38},
                      TickWindow{"blankSkipped", 1, 35, 40, Blank::Skipped, -1}),
    ::testing::PrintToStringParamName());

}  // namespace
