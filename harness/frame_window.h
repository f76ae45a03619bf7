#pragma once

// The program's frames drawn in this process, in the program's own window,
// for tools and tests that need exactly what the program shows.
#include "image.h"

struct AnimationState;

// Opens the program's window in this process, on the display that DISPLAY
// names, with the program's own start-up code, and waits until the window
// has been exposed. Throws if it never is.
void openProgramWindow();

// Draws a frame of the given state with the program's drawing code and
// returns what the window then shows.
Image drawFrameAndCapture(const AnimationState& state);
