#include "frame_window.h"

#include "app/startup.h"
#include "common/deadline.h"
#include "common/x_window.h"
#include "scene/draw_scene.h"

#include <GL/freeglut.h>
#include <GL/glx.h>

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
    const bool shown = waitUntil(Milliseconds(10000), Milliseconds(0), [] {
        glutMainLoopEvent();
        return exposed;
    });
    if (!shown) {
        throw std::runtime_error("the window was never exposed");
    }
}

Image drawFrameAndCapture(const AnimationState& state)
{
    drawFrame(state);
    glFinish();
    Display* display = glXGetCurrentDisplay();
    XSync(display, False);
    return captureDrawable(display, glXGetCurrentDrawable());
}
