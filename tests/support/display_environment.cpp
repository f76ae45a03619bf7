#include "display_environment.h"

#include "common/x_server.h"
#include "frames/frame_window.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<PrivateXServer> server;
bool windowOpen = false;

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

void PrivateDisplayEnvironment::SetUp()
{
    server = std::make_unique<PrivateXServer>();
    setenv("DISPLAY", server->display().c_str(), 1);
}

void PrivateDisplayEnvironment::TearDown()
{
    if (windowOpen) {
        server->keepUntilExit();
    }
    server.reset();
}

const std::string& testDisplay()
{
    return server->display();
}

void openProgramWindowOnce()
{
    if (!windowOpen) {
        openProgramWindow();
        dl_iterate_phdr(pinDriver, nullptr);
        windowOpen = true;
    }
}
