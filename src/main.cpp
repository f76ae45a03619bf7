#include "window.h"

#include "glut_headers.h"

int main(int argc, char** argv)
{
    ignoreBrokenPipe();
    openWindow(&argc, argv);
    registerCallbacks();
    glutMainLoop();
    return 1;
}
