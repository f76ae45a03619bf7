#include "gl_window.h"

#include "scene/draw_scene.h"
#include "app/startup.h"
#include "program.h"
#include "x_server.h"

#include <GL/freeglut.h>
#include <GL/glx.h>

#include <dlfcn.h>
#include <link.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

std::unique_ptr<PrivateXServer> server;
bool exposed = false;

void noteExposure()
{
    exposed = true;
}

// Keeps the GL driver that the context loaded in memory until the very end,
// so that the leak checker, which runs last, can still name it.
int pinDriver(dl_phdr_info* info, size_t, void*)
{
    const std::string name = info->dlpi_name;
    if (name.find("_dri.so") != std::string::npos || name.find("libgallium") != std::string::npos) {
        dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return 0;
}

}  // namespace

void ProgramWindowEnvironment::SetUp()
{
    server = std::make_unique<PrivateXServer>();
    setenv("DISPLAY", server->display().c_str(), 1);

    static char name[] = "morvane-tests";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    openWindow(&argc, argv);
    dl_iterate_phdr(pinDriver, nullptr);
    glutDisplayFunc(noteExposure);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!exposed && std::chrono::steady_clock::now() < deadline) {
        glutMainLoopEvent();
    }
    if (!exposed) {
        throw std::runtime_error("the window was never exposed");
    }
}

void ProgramWindowEnvironment::TearDown()
{
    // The GL libraries still talk to the server while the process exits, so
    // it is left to end with the process.
    server->keepUntilExit();
    server.reset();
}

Image drawSceneAndCapture()
{
    drawScene();
    glFinish();
    Display* display = glXGetCurrentDisplay();
    XSync(display, False);
    return captureWindow(display, glXGetCurrentDrawable());
}
