#include "program_checks.h"

#include "animation.h"
#include "deadline.h"
#include "expected_animation.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace {

// Reference frames are the same in every test and some are needed often.
const ExpectedFrame& referenceForTick(long tick, int width, int height, int viewportSize)
{
    static std::map<std::tuple<long, int, int, int>, ExpectedFrame> cache;
    const auto key = std::make_tuple(tick % (ticksPerCycle * spinPeriodCycles), width, height, viewportSize);
    auto found = cache.find(key);
    if (found == cache.end()) {
        found = cache.emplace(key, referenceFrame(expectedStateAfterTick(tick), width, height, viewportSize)).first;
    }
    return found->second;
}

}  // namespace

FrameMatch matchFrame(const Image& shown, long firstTick, long lastTick, Blank blank, int viewportSize)
{
    FrameMatch match;
    for (long tick = std::max(0L, firstTick); tick <= lastTick; ++tick) {
        if (blank == Blank::Skipped && tick % ticksPerCycle <= lastBlankTick) {
            continue;
        }
        const ExpectedFrame& expected = referenceForTick(tick, shown.width, shown.height, viewportSize);
        const long mismatches = countMismatches(shown, expected);
        if (mismatches == 0) {
            match.tick = tick;
            return match;
        }
        if (match.fewest < 0 || mismatches < match.fewest) {
            match.fewest = mismatches;
            match.closest = expected;
        }
    }
    return match;
}

long expectFrameOfTicks(const Image& shown, long firstTick, long lastTick, Blank blank, const std::string& name,
                        int viewportSize)
{
    const FrameMatch match = matchFrame(shown, firstTick, lastTick, blank, viewportSize);
    if (match.tick >= 0) {
        return match.tick;
    }
    if (match.fewest < 0) {
        ADD_FAILURE() << "no tick from " << firstTick << " to " << lastTick << " draws squares to compare with";
    } else {
        ADD_FAILURE() << "not the frame of any tick from " << firstTick << " to " << lastTick << "; closest miss "
                      << match.fewest << " pixels; " << saveMismatch(name, shown, match.closest);
    }
    return match.tick;
}

long waitForExpectedFrame(RunningProgram& program, Display* display, Window window, const std::string& name,
                          Blank blank, long lag)
{
    struct Capture {
        Image shown;
        long firstTick, lastTick, fewest;
    };
    Capture closest{{}, 0, 0, -1};
    long found = -1;
    waitUntil(Milliseconds(2000), Milliseconds(5), [&] {
        const long before = static_cast<long>(program.readLines(0, Milliseconds(0)).size());
        XSync(display, False);
        Capture capture{captureDrawable(display, window), before - lag, 0, -1};
        capture.lastTick = static_cast<long>(program.readLines(0, Milliseconds(0)).size());
        const FrameMatch match = matchFrame(capture.shown, capture.firstTick, capture.lastTick, blank);
        found = match.tick;
        if (closest.fewest < 0 || match.fewest < closest.fewest) {
            capture.fewest = match.fewest;
            closest = std::move(capture);
        }
        return found >= 0;
    });
    if (found >= 0) {
        return found;
    }
    SCOPED_TRACE("the window never showed the frame of the current tick");
    return expectFrameOfTicks(closest.shown, closest.firstTick, closest.lastTick, blank, name);
}

::testing::AssertionResult findProgramWindow(Display* display, Milliseconds timeout, Window& window)
{
    window = waitForViewableWindow(display, windowTitle, timeout);
    if (window == None) {
        return ::testing::AssertionFailure() << "no viewable window titled " << windowTitle;
    }
    const WindowPlacement placement = placementOf(display, window);
    if (placement.width != windowWidth || placement.height != windowHeight) {
        return ::testing::AssertionFailure() << "the window is " << placement.width << " x " << placement.height
                                             << ", not " << windowWidth << " x " << windowHeight;
    }
    return ::testing::AssertionSuccess();
}

void expectTraceFromTheStart(const std::vector<std::string>& lines)
{
    ASSERT_FALSE(lines.empty()) << "no trace lines to check";
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        ASSERT_EQ(line, expectedTraceLine(static_cast<long>(i) + 1)) << "line " << i + 1;
    }
}

void CycleParts::add(long tick)
{
    if (tick >= 0 && tick % ticksPerCycle > lastBlankTick) {
        ++(tick % ticksPerCycle <= approachTicks ? approaching : shrinking);
    }
}

void expectBothPartsOfTheCycle(const CycleParts& parts)
{
    EXPECT_GT(parts.approaching, 2) << "too few frames of squares approaching";
    EXPECT_GT(parts.shrinking, 2) << "too few frames of the shrinking figure";
}
