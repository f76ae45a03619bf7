// What desktop_gl.h promises. This file sees the library functions under
// their own names.
#include <GL/glut.h>
#include <GL/glu.h>

#include <emscripten/html5.h>

#include <cmath>

namespace {

bool insidePrimitive = false;
bool primitiveHasColour = false;
GLubyte primitiveColour[3] = {0, 0, 0};

}  // namespace

void desktopPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    const double halfAngle = fovy / 2.0 * M_PI / 180.0;
    const double depth = zFar - zNear;
    const double sine = std::sin(halfAngle);
    if (depth == 0.0 || sine == 0.0 || aspect == 0.0) {
        return;
    }
    const double cotangent = std::cos(halfAngle) / sine;
    const GLdouble m[16] = {
        cotangent / aspect, 0.0, 0.0, 0.0,
        0.0, cotangent, 0.0, 0.0,
        0.0, 0.0, -(zFar + zNear) / depth, -1.0,
        0.0, 0.0, -2.0 * zNear * zFar / depth, 0.0,
    };
    glMultMatrixd(m);
}

void desktopBegin(GLenum mode)
{
    insidePrimitive = true;
    primitiveHasColour = false;
    glBegin(mode);
}

void desktopEnd()
{
    glEnd();
    insidePrimitive = false;
}

void desktopColor3ub(GLubyte red, GLubyte green, GLubyte blue)
{
    if (!insidePrimitive) {
        glColor3ub(red, green, blue);
        return;
    }
    primitiveColour[0] = red;
    primitiveColour[1] = green;
    primitiveColour[2] = blue;
    primitiveHasColour = true;
}

void desktopVertex2f(GLfloat x, GLfloat y)
{
    if (primitiveHasColour) {
        glColor3ub(primitiveColour[0], primitiveColour[1], primitiveColour[2]);
    }
    glVertex2f(x, y);
}

// canvas_size.js: the canvas keeps that size when the page's layout or the
// browser window changes.
extern "C" void keepCanvasSize();

void devicePixelWindowSize(int width, int height)
{
    const double ratio = emscripten_get_device_pixel_ratio();
    glutInitWindowSize(static_cast<int>(std::lround(width * ratio)), static_cast<int>(std::lround(height * ratio)));
    keepCanvasSize();
}
