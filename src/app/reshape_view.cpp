#include "app/reshape_view.h"

#include "glut_headers.h"

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
