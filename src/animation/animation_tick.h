#pragma once

// Time from the end of one tick to the next.
constexpr int tickPeriodMilliseconds = 50;

// GLUT timer callback: advances the animation, prints the scale, re-arms
// itself for tickPeriodMilliseconds later and asks for a redraw. The value
// is ignored.
void animationTick(int value);
