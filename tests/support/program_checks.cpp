#include "program_checks.h"

#include "reference.h"

#include "common/x_server.h"

#include <algorithm>
#include <map>
#include <memory>
#include <thread>
#include <tuple>

namespace {

std::unique_ptr<PrivateXServer> server;

// Reference frames are the same in every test and some are needed often.
const ExpectedFrame& referenceForTick(long tick, int width, int height)
{
    static std::map<std::tuple<long, int, int>, ExpectedFrame> cache;
    const auto key = std::make_tuple(tick % (38 * 72), width, height);  // the spin repeats after 72 cycles
    auto found = cache.find(key);
    if (found == cache.end()) {
        found = cache.emplace(key, referenceFrame(expectedStateAfterTick(tick), width, height)).first;
    }
    return found->second;
}

}  // namespace

void XServerEnvironment::SetUp()
{
    server = std::make_unique<PrivateXServer>();
}

void XServerEnvironment::TearDown()
{
    server.reset();
}

const std::string& testDisplay()
{
    return server->display();
}

long waitForExpectedFrame(RunningProgram& program, Display* display, Window window, const std::string& name,
                          Blank blank, long lag)
{
    const auto deadline = std::chrono::steady_clock::now() + Milliseconds(2000);
    Image closest;
    ExpectedFrame closestExpected;
    long fewest = -1;
    do {
        const long before = static_cast<long>(program.readLines(0, Milliseconds(0)).size());
        XSync(display, False);
        const Image shown = captureDrawable(display, window);
        const long after = static_cast<long>(program.readLines(0, Milliseconds(0)).size());
        for (long tick = std::max(0L, before - lag); tick <= after; ++tick) {
            if (blank == Blank::Skipped && tick % 38 <= 2) {
                continue;
            }
            const ExpectedFrame& expected = referenceForTick(tick, shown.width, shown.height);
            const long mismatches = countMismatches(shown, expected);
            if (mismatches == 0) {
                return tick;
            }
            if (fewest < 0 || mismatches < fewest) {
                fewest = mismatches;
                closest = shown;
                closestExpected = expected;
            }
        }
        std::this_thread::sleep_for(Milliseconds(5));
    } while (std::chrono::steady_clock::now() < deadline);
    ADD_FAILURE() << "the window never showed the frame of the current tick; closest miss " << fewest
                  << " pixels; " << saveMismatch(name, closest, closestExpected);
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
