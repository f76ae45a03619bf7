#include "program_checks.h"

#include "animation/animation_state.h"
#include "common/deadline.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace {

// Reference frames are the same in every test and some are needed often.
const ExpectedFrame& referenceForTick(long tick, int width, int height, int viewportSize)
{
    static std::map<std::tuple<long, int, int, int>, ExpectedFrame> cache;
    // The spin repeats after 72 cycles.
    const auto key = std::make_tuple(tick % (ticksPerCycle * 72), width, height, viewportSize);
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
        if (blank == Blank::Skipped && tick % ticksPerCycle <= 2) {
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

void PrintTo(TraceOutput output, std::ostream* out)
{
    *out << (output == TraceOutput::Pipe ? "pipe" : "/dev/full");
}

Window waitForViewableWindow(Display* display, const std::string& title, Milliseconds timeout)
{
    Window window = None;
    waitUntil(timeout, Milliseconds(2), [&] {
        window = findViewableWindow(display, title);
        return window != None;
    });
    return window;
}

WindowPlacement placementOf(Display* display, Window window)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}

long waitForExpectedFrame(RunningProgram& program, Display* display, Window window, const std::string& name,
                          Blank blank, long lag)
{
    Image closest;
    FrameMatch nearest;
    long found = -1;
    waitUntil(Milliseconds(2000), Milliseconds(5), [&] {
        const long before = static_cast<long>(program.readLines(0, Milliseconds(0)).size());
        XSync(display, False);
        const Image shown = captureDrawable(display, window);
        const long after = static_cast<long>(program.readLines(0, Milliseconds(0)).size());
        const FrameMatch match = matchFrame(shown, before - lag, after, blank);
        if (match.tick >= 0) {
            found = match.tick;
            return true;
        }
        if (nearest.fewest < 0 || match.fewest < nearest.fewest) {
            nearest = match;
            closest = shown;
        }
        return false;
    });
    if (found >= 0) {
        return found;
    }
    ADD_FAILURE() << "the window never showed the frame of the current tick; closest miss " << nearest.fewest
                  << " pixels; " << saveMismatch(name, closest, nearest.closest);
    return -1;
}

void expectTraceFromTheStart(const std::vector<std::string>& lines)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        ASSERT_EQ(line, expectedTraceLine(static_cast<long>(i) + 1)) << "line " << i + 1;
    }
}
