#pragma once

struct AnimationState;

// GLUT display callback: draws the current animation state (drawFrame).
void drawScene();

// Draws one frame of the four squares for the given state and swaps
// buffers. Tools and tests draw the states they want through it.
void drawFrame(const AnimationState& state);
