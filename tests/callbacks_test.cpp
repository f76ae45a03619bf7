// The program's GLUT callbacks, registered and run without a window: the
// test stands in for GLUT's registration calls (the linker's --wrap sends
// the program's calls here) and keeps what they were given.
#include "animation.h"
#include "scene.h"
#include "window.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <vector>

namespace {

struct TimerRequest {
    unsigned int milliseconds;
    void (*callback)(int);
};

std::vector<TimerRequest> timers;
void (*displayCallback)() = nullptr;
void (*reshapeCallback)(int, int) = nullptr;
int redisplays = 0;

}  // namespace

extern "C" {
void __wrap_glutTimerFunc(unsigned int milliseconds, void (*callback)(int), int /*value*/)
{
    timers.push_back({milliseconds, callback});
}
void __wrap_glutDisplayFunc(void (*callback)())
{
    displayCallback = callback;
}
void __wrap_glutReshapeFunc(void (*callback)(int, int))
{
    reshapeCallback = callback;
}
void __wrap_glutPostRedisplay()
{
    ++redisplays;
}
}

namespace {

// The first tick comes at once; each re-arms the timer 50 ms on (the period
// people see, written out here rather than read from the program), prints
// its line and asks for a redraw.
TEST(Callbacks, ArmTheFirstTickAtOnceAndEachNextOnePeriodLater)
{
    registerCallbacks();
    EXPECT_EQ(displayCallback, &drawScene);
    EXPECT_EQ(reshapeCallback, &reshapeView);
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].milliseconds, 0u) << "the first tick is not armed at once";

    std::ostringstream trace;
    std::streambuf* const console = std::cout.rdbuf(trace.rdbuf());
    for (int tick = 1; tick <= 3; ++tick) {
        const TimerRequest armed = timers.back();
        ASSERT_EQ(armed.callback, &animationTick);
        armed.callback(0);
        ASSERT_EQ(timers.size(), static_cast<size_t>(tick) + 1);
        EXPECT_EQ(timers.back().milliseconds, 50u) << "tick " << tick << " re-armed the timer wrongly";
        EXPECT_EQ(redisplays, tick);
    }
    std::cout.rdbuf(console);
    EXPECT_EQ(trace.str(), "1\n1\n1\n");
    EXPECT_EQ(animationState.approachOffset, 1.5f);
}

}  // namespace
