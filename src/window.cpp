#include "window.h"

#include "animation.h"
#include "scene.h"

#include "glut_headers.h"

#include <csignal>
#include <iostream>

void ignoreBrokenPipe()
{
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

void openWindow(int* argc, char** argv)
{
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(windowX, windowY);
    glutInitWindowSize(windowWidth, windowHeight);
    glutCreateWindow(windowTitle);
    identifyWindow();

    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    // The matrix mode is still the initial model-view: world x and y from -5
    // to 5 fill the viewport.
    glOrtho(-5.0, 5.0, -5.0, 5.0, -5.0, 5.0);
}

void registerCallbacks()
{
    glutDisplayFunc(drawScene);
    glutReshapeFunc(reshapeView);
    glutTimerFunc(0, animationTick, 0);
}

void animationTick(int /*value*/)
{
    advanceAnimation(animationState);
    writeTraceLine(std::cout, animationState.figureScale);
    glutTimerFunc(tickPeriodMilliseconds, animationTick, 0);
    glutPostRedisplay();
}

void reshapeView(int width, int height)
{
    if (height == 0) {
        height = 1;
    }
    const float aspect = static_cast<float>(width) / static_cast<float>(height);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Near and far planes coincide, so GLU refuses the request and leaves the
    // identity in place: the orthographic matrix in the model-view stack is
    // the only mapping of the scene, and the viewport keeps its first size.
    gluPerspective(45.0, aspect, 500.0, 500.0);
    glMatrixMode(GL_MODELVIEW);
}
