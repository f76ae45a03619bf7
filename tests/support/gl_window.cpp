#include "gl_window.h"

#include "scene/draw_scene.h"
#include "app/startup.h"
#include "program.h"
#include "x_server.h"

#include <GL/freeglut.h>
#include <GL/glx.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace {

std::unique_ptr<PrivateXServer> server;
bool exposed = false;

void noteExposure()
{
    exposed = true;
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
    glutExit();
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
