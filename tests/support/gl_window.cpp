#include "gl_window.h"

#include "common/program_window.h"
#include "common/x_server.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::unique_ptr<PrivateXServer> server;

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
    openProgramWindow();
    dl_iterate_phdr(pinDriver, nullptr);
}

void ProgramWindowEnvironment::TearDown()
{
    // The GL libraries still talk to the server while the process exits, so
    // it is left to end with the process.
    server->keepUntilExit();
    server.reset();
}
