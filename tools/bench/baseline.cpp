// The floor any GLUT program that draws pays on this platform: the same
// window as morvane, the same re-armed timer that prints one line and asks
// for a redraw, and a frame of one small black quad. None of the program's
// own code is linked; only its window and timer constants are shared.
#include "animation.h"
#include "baseline.h"
#include "window.h"

#include <GL/glut.h>

#include <cstdio>

namespace {

void drawBaselineFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBegin(GL_QUADS);
    glColor3ub(0, 0, 0);
    glVertex2f(-0.1f, -0.1f);
    glVertex2f(-0.1f, 0.1f);
    glVertex2f(0.1f, 0.1f);
    glVertex2f(0.1f, -0.1f);
    glEnd();
    glutSwapBuffers();
}

void baselineTick(int /*value*/)
{
    std::puts("1");
    std::fflush(stdout);
    glutTimerFunc(tickPeriodMilliseconds, baselineTick, 0);
    glutPostRedisplay();
}

}  // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(windowX, windowY);
    glutInitWindowSize(windowWidth, windowHeight);
    glutCreateWindow(baselineTitle);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glutDisplayFunc(drawBaselineFrame);
    glutTimerFunc(0, baselineTick, 0);
    glutMainLoop();
    return 1;
}
