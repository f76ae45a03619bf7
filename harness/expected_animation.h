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

// The state after a given number of ticks (0: before the first), from the
// shape of the cycle: 19 approach ticks, 19 shrink ticks of which the last
// resets, 5 degrees of spin per shrink tick.
SceneState expectedStateAfterTick(long tick);

// The trace line the given tick (counting from 1) must print, without newline.
std::string expectedTraceLine(long tick);
