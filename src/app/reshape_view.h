#pragma once

// GLUT reshape callback: resets the projection matrix to the identity and
// leaves the model-view matrix and the viewport as they are.
void reshapeView(int width, int height);
