#include "animation.h"
#include "expected_animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

std::string traced(float scale)
{
    std::ostringstream out;
    writeTraceLine(out, scale);
    return out.str();
}

// Turns between two angles, folded into [0, 360).
double turnBetween(double before, double after)
{
    return std::fmod(after - before + 720.0, 360.0);
}

// State and trace, tick by tick, as one trace written to one stream.
TEST(AnimationTick, FollowsTheTwoCyclesTickByTick)
{
    AnimationState state = initialAnimationState;
    std::ostringstream trace;
    std::string expectedTrace;
    for (long tick = 1; tick <= 2 * ticksPerCycle; ++tick) {
        advanceAnimation(state);
        writeTraceLine(trace, state.figureScale);
        expectedTrace += expectedTraceLine(tick) + "\n";
        const SceneState expected = expectedStateAfterTick(tick);
        SCOPED_TRACE("tick " + std::to_string(tick));
        EXPECT_EQ(state.approachOffset, static_cast<float>(expected.offset));
        EXPECT_EQ(state.spinAngle, static_cast<float>(std::fmod(expected.spin, 360.0)));
        EXPECT_EQ(state.approachBrake, expected.offset == 10.0 ? 0.5f : 0.0f);
        ASSERT_EQ(trace.str(), expectedTrace);
    }
}

struct Milestone {
    long tick;
    float offset, brake, spin;
    const char* printed;
};

TEST(AnimationTick, ChangesPhaseOnTheRightTicks)
{
    const Milestone milestones[] = {
        {1, 0.5f, 0.0f, 0.0f, "1\n"},
        {19, 9.5f, 0.0f, 0.0f, "1\n"},    // exactly 9.5: no shrink yet
        {20, 10.0f, 0.5f, 5.0f, "0.95\n"},  // reaching 10 shrinks on the same tick
        {21, 10.0f, 0.5f, 10.0f, "0.9\n"},  // the braked step keeps the offset at 10
        {37, 10.0f, 0.5f, 90.0f, "0.0999998\n"},
        {38, 0.0f, 0.0f, 95.0f, "1\n"},    // the reset tick still turns the figure
        {39, 0.5f, 0.0f, 95.0f, "1\n"},
        {58, 10.0f, 0.5f, 100.0f, "0.95\n"},
        {76, 0.0f, 0.0f, 190.0f, "1\n"},
    };
    AnimationState state = initialAnimationState;
    long tick = 0;
    for (const Milestone& m : milestones) {
        while (tick < m.tick) {
            advanceAnimation(state);
            ++tick;
        }
        SCOPED_TRACE("tick " + std::to_string(tick));
        EXPECT_EQ(state.approachOffset, m.offset);
        EXPECT_EQ(state.approachBrake, m.brake);
        EXPECT_EQ(state.spinAngle, m.spin);
        EXPECT_EQ(traced(state.figureScale), m.printed);
    }
}

TEST(AnimationTrace, CarriesOnAfterAFailedWrite)
{
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    writeTraceLine(out, 0.5f);
    writeTraceLine(out, 1.0f);
    EXPECT_EQ(out.str(), "0.5\n1\n");
}

// Sixty million ticks is about five weeks of running, well past the point
// where an angle that only ever grew would stop turning. Every cycle must
// repeat the first one exactly, turned 95 degrees further.
TEST(AnimationTick, RepeatsItsCycleOverWeeksOfTicks)
{
    constexpr long ticks = 60'000'000;
    constexpr long cycle = ticksPerCycle;
    AnimationState firstCycle[cycle];
    AnimationState state = initialAnimationState;
    for (long tick = 1; tick <= cycle; ++tick) {
        advanceAnimation(state);
        firstCycle[tick % cycle] = state;
    }
    long failures = 0;
    for (long tick = cycle + 1; tick <= ticks && failures < 5; ++tick) {
        const float spinBefore = state.spinAngle;
        advanceAnimation(state);
        const AnimationState& same = firstCycle[tick % cycle];
        const bool turns = tick % cycle > approachTicks || tick % cycle == 0;
        if (state.approachOffset != same.approachOffset || state.approachBrake != same.approachBrake ||
            state.figureScale != same.figureScale || state.spinAngle < 0.0f || state.spinAngle >= 360.0f ||
            turnBetween(spinBefore, state.spinAngle) != (turns ? 5.0 : 0.0)) {
            ++failures;
            ADD_FAILURE() << "tick " << tick << ": offset " << state.approachOffset << ", brake "
                          << state.approachBrake << ", scale " << state.figureScale << ", spin " << spinBefore
                          << " -> " << state.spinAngle;
        }
    }
    EXPECT_EQ(state.spinAngle, static_cast<float>(std::fmod(expectedStateAfterTick(ticks).spin, 360.0)));
}

}  // namespace
