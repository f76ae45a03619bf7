#pragma once

#include "image.h"

#include <string>

// What the scene depends on: the approach offset, the scale and the spin.
struct SceneState {
    double offset;
    double scale;
    double spin;  // degrees, counter-clockwise
};

// The frame a window of the given size must show for a state, worked out
// from the geometry alone: four squares of side 5 at their places, turned by
// their own angles, the whole figure scaled and spun about the centre, world
// -5..5 filling a 500 x 500 viewport at the window's lower-left corner.
ExpectedFrame referenceFrame(const SceneState& state, int windowWidth = 500, int windowHeight = 500);

// The state after a given number of ticks (0: before the first), from the
// shape of the cycle: 19 approach ticks, 19 shrink ticks of which the last
// resets, 5 degrees of spin per shrink tick.
SceneState expectedStateAfterTick(long tick);

// The trace line the given tick (counting from 1) must print, without newline.
std::string expectedTraceLine(long tick);
