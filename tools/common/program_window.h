#pragma once

#include "image.h"

// Opens the program's window in this process, on the display that DISPLAY
// names, with the program's own start-up code, and waits until the window
// has been exposed. Throws if it never is.
void openProgramWindow();

// Draws a frame from the current animation state with the program's display
// callback and returns what the window then shows.
Image drawSceneAndCapture();
