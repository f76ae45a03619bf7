#pragma once

// GLUT display callback: draws one frame of the four squares from the
// current animation state and swaps buffers.
void drawScene();
