#pragma once

// Included ahead of every source file of the page build (see
// CMakeLists.txt beside this file), so that the program's own sources stay
// as they are on the desktop. Emscripten's GLUT, GL and GLU differ from the
// desktop libraries in the ways below; each difference is mended here by
// steering the call to a function in desktop_gl.cpp that behaves as the
// desktop library does.
//
// Why macros rather than a seam of the program's own: each mend but one
// calls the library function it stands in for (glBegin, glVertex2f,
// glutInitWindowSize, glutCreateWindow, glutPostRedisplay, ...), and a
// definition under the library's own name, which the linker would take
// instead of emscripten's, hides that very function from it (the GL calls
// live in emscripten's JavaScript emulation, which an override replaces
// whole). A backend file per platform would instead put names of our own
// into src/, where the desktop reads plain GLUT and OpenGL today. The
// macros reach the page build only, name ten calls, each said here, and the
// page's frames and trace are checked against the same reference as the
// desktop's.
#include <GL/glut.h>
#include <GL/glu.h>

// gluPerspective: emscripten's replaces the current matrix instead of
// multiplying it into it, and divides by far - near unguarded. Desktop GLU
// leaves the matrix alone when far - near, the sine of half the field of
// view or the aspect ratio is 0, which is what the reshape handler relies on.
void desktopPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
#define gluPerspective desktopPerspective

// glColor inside glBegin/glEnd: once a primitive has been given a colour,
// the emulation's vertex stream expects one with every vertex; a single
// colour before the first vertex corrupts it. Desktop OpenGL keeps the
// current colour for every vertex that follows, so here the colour is
// repeated with each vertex instead.
void desktopBegin(GLenum mode);
void desktopEnd();
void desktopColor3ub(GLubyte red, GLubyte green, GLubyte blue);
void desktopVertex2f(GLfloat x, GLfloat y);
#define glBegin desktopBegin
#define glEnd desktopEnd
#define glColor3ub desktopColor3ub
#define glVertex2f desktopVertex2f

// glutInitWindowSize: a page's size is in CSS pixels, and on a screen with
// several device pixels to each (a device pixel ratio of 2, say) a canvas of
// that many pixels is shown scaled up and blurred. The canvas gets one pixel
// per device pixel instead; the page's style keeps it at the requested size
// in CSS pixels. The viewport follows the canvas, so the picture is the same
// at a finer grain.
void devicePixelWindowSize(int width, int height);
#define glutInitWindowSize devicePixelWindowSize

// What a page must do that a desktop window need not (pausable_ticks.js and
// lost_context.js beside this file). Each is the library call it replaces
// when nothing of the kind happens.
extern "C" {
// glutTimerFunc: a page is paused by the person reading it (or by the
// browser, when its tab is hidden) and played again; a tick that was armed
// waits, and comes one period after play.
void pausableTimerFunc(unsigned int milliseconds, void (*callback)(int), int value);
// glutCreateWindow: where the browser gives no WebGL at all, the page says
// so and the program stops there instead of failing at its first GL call.
int windowOrNotice(const char* title);
// glClearColor and glutPostRedisplay: a browser may take the WebGL context
// away and give it back empty. Nothing is drawn while it is away, and what
// the program had set is set again when it returns.
void restorableClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
void redisplayUnlessLost();
}
#define glutTimerFunc pausableTimerFunc
#define glutCreateWindow windowOrNotice
#define glClearColor restorableClearColor
#define glutPostRedisplay redisplayUnlessLost
