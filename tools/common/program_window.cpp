#include "program_window.h"

#include "app/startup.h"
#include "scene/draw_scene.h"
#include "x_window.h"

#include <GL/freeglut.h>
#include <GL/glx.h>

#include <chrono>
#include <stdexcept>

namespace {

bool exposed = false;

void noteExposure()
{
    exposed = true;
}

}  // namespace

void openProgramWindow()
{
    static char name[] = "morvane";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    openWindow(&argc, argv);
    // Only the first exposure is waited for here; frames are drawn on demand.
    glutDisplayFunc(noteExposure);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!exposed && std::chrono::steady_clock::now() < deadline) {
        glutMainLoopEvent();
    }
    if (!exposed) {
        throw std::runtime_error("the window was never exposed");
    }
}

Image drawSceneAndCapture()
{
    drawScene();
    glFinish();
    Display* display = glXGetCurrentDisplay();
    XSync(display, False);
    return captureDrawable(display, glXGetCurrentDrawable());
}
