#include "scene.h"

#include "animation.h"

#include "glut_headers.h"

namespace {

// One square of side 5 centred on its own origin, drawn in black.
void drawSquare()
{
    glBegin(GL_QUADS);
    glColor3ub(0, 0, 0);
    glVertex2f(-2.5f, -2.5f);
    glVertex2f(-2.5f, 2.5f);
    glVertex2f(2.5f, 2.5f);
    glVertex2f(2.5f, -2.5f);
    glEnd();
}

}  // namespace

void drawScene()
{
    drawFrame(animationState);
}

void drawFrame(const AnimationState& state)
{
    const float scale = state.figureScale;
    const float offset = state.approachOffset;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // The whole figure scales and turns about the centre of the window.
    glPushMatrix();
    glScalef(scale, scale, scale);
    glRotatef(state.spinAngle, 0.0f, 0.0f, 1.0f);

    // Each square turns about its own centre, then moves to its place.
    // Above the centre, not turned.
    glPushMatrix();
    glTranslatef(0.0f, 10.0f - offset, 0.0f);
    drawSquare();
    glPopMatrix();

    // Left of the centre.
    glPushMatrix();
    glTranslatef(-10.0f + offset, 0.0f, 0.0f);
    glRotatef(45.0f, 0.0f, 0.0f, 1.0f);
    drawSquare();
    glPopMatrix();

    // Below the centre.
    glPushMatrix();
    glTranslatef(0.0f, -10.0f + offset, 0.0f);
    glRotatef(25.0f, 0.0f, 0.0f, 1.0f);
    drawSquare();
    glPopMatrix();

    // Right of the centre.
    glPushMatrix();
    glTranslatef(10.0f - offset, 0.0f, 0.0f);
    glRotatef(65.0f, 0.0f, 0.0f, 1.0f);
    drawSquare();
    glPopMatrix();

    // Back to the orthographic matrix set up at start-up.
    glPopMatrix();

    glutSwapBuffers();
}
