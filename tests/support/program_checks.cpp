#include "program_checks.h"

#include "animation/animation_state.h"
#include "common/deadline.h"
#include "image_files.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

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

std::pair<std::string, std::string> windowClassOf(Display* display, Window window)
{
    XClassHint hint{nullptr, nullptr};
    if (XGetClassHint(display, window, &hint) == 0) {
        return {};
    }
    std::pair<std::string, std::string> names{hint.res_name, hint.res_class};
    XFree(hint.res_name);
    XFree(hint.res_class);
    return names;
}

std::map<int, Image> windowIconsOf(Display* display, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::map<int, Image> icons;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 20, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) != Success || data == nullptr) {
        return icons;
    }
    // Xlib hands a 32-bit property over as longs: width, height, ARGB pixels.
    const long* items = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; format == 32 && i + 2 <= count;) {
        const int width = static_cast<int>(items[i]);
        const int height = static_cast<int>(items[i + 1]);
        i += 2;
        if (width <= 0 || width != height || i + static_cast<unsigned long>(width) * height > count) {
            break;
        }
        Image image(width, height, 0);
        for (int p = 0; p < width * height; ++p) {
            const unsigned long argb = static_cast<unsigned long>(items[i + p]);
            image.rgb[3 * p] = static_cast<std::uint8_t>(argb >> 16);
            image.rgb[3 * p + 1] = static_cast<std::uint8_t>(argb >> 8);
            image.rgb[3 * p + 2] = static_cast<std::uint8_t>(argb);
        }
        icons[width] = image;
        i += static_cast<unsigned long>(width) * height;
    }
    XFree(data);
    return icons;
}

Image morvaneIcon(int size)
{
    const std::string side = std::to_string(size);
    return readPng(std::string(MORVANE_ICONS) + "/" + side + "x" + side + "/morvane.png");
}
