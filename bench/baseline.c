/* The floor any GLUT program that draws pays on this platform: the same
 * window as morvane, a 50 ms re-armed timer that prints one line and asks
 * for a redraw, and a frame of one small black quad. */
#include <GL/glut.h>
#include <stdio.h>

static void drawFrame(void)
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

static void tick(int value)
{
    (void)value;
    puts("1");
    fflush(stdout);
    glutTimerFunc(50, tick, 0);
    glutPostRedisplay();
}

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(500, 500);
    glutCreateWindow("Baseline");
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glutDisplayFunc(drawFrame);
    glutTimerFunc(0, tick, 0);
    glutMainLoop();
    return 1;
}
