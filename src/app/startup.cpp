#include "app/startup.h"

#include "animation/animation_tick.h"
#include "app/reshape_view.h"
#include "app/window_identity.h"
#include "scene/draw_scene.h"

#include "glut_headers.h"

#include <csignal>

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
