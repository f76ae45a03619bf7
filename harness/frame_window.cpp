#include "frame_window.h"

#include "deadline.h"
#include "scene.h"
#include "window.h"
#include "x_window.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <dlfcn.h>
#include <link.h>

#include <stdexcept>
#include <string>

namespace {

bool exposed = false;

// Keeps the GL driver that the context loaded in memory until the very end,
// so that the leak checker, which runs last, can still name it (the
// suppressions of the sanitizer build name the GL libraries).
int pinDriver(dl_phdr_info* info, size_t, void*)
{
    const std::string name = info->dlpi_name;
    if (name.find("_dri.so") != std::string::npos || name.find("libgallium") != std::string::npos) {
        dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return 0;
}

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
    dl_iterate_phdr(pinDriver, nullptr);
}

Image drawFrameAndCapture(const AnimationState& state)
{
    drawFrame(state);
    glFinish();
    Display* display = glXGetCurrentDisplay();
    XSync(display, False);
    return captureDrawable(display, glXGetCurrentDrawable());
}
