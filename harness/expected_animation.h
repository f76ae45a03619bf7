#pragma once

// What the animation must do, worked out from the shape of its cycle rather
// than by running the program's arithmetic.
#include <string>

// What the scene depends on: the approach offset, the scale and the spin.
struct SceneState {
    double offset;
    double scale;
    double spin;  // degrees, counter-clockwise
};

// The shape of the cycle, which every expectation of the animation is
// worked out from. A cycle's ticks are counted from the reset (0) to the one
// before the next reset (ticksPerCycle - 1).
// The ticks that only move the squares in; the next one shrinks first.
constexpr long approachTicks = 19;
// Up to this tick every square is still outside the window: its frame is
// all background.
constexpr long lastBlankTick = 2;
// The figure turns 5 degrees a shrink tick, 95 a cycle: the spin comes
// round to where it started after this many cycles.
constexpr long spinPeriodCycles = 72;

// The state after a given number of ticks (0: before the first), from the
// shape of the cycle: the approach ticks, then shrink ticks up to the one
// that resets, 5 degrees of spin per shrink tick.
SceneState expectedStateAfterTick(long tick);

// The trace line the given tick (counting from 1) must print, without newline.
std::string expectedTraceLine(long tick);
