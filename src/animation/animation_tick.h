#pragma once

// GLUT timer callback: advances the animation, prints the scale, re-arms
// itself for 50 ms later and asks for a redraw. The value is ignored.
void animationTick(int value);
