#include "display_environment.h"

#include "x_server.h"

#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<PrivateXServer> server;
bool keepServer = false;

}  // namespace

void PrivateDisplayEnvironment::SetUp()
{
    server = std::make_unique<PrivateXServer>();
    setenv("DISPLAY", server->display().c_str(), 1);
}

void PrivateDisplayEnvironment::TearDown()
{
    if (keepServer) {
        server->keepUntilExit();
    }
    server.reset();
}

const std::string& testDisplay()
{
    return server->display();
}

void keepTestDisplayUntilExit()
{
    keepServer = true;
}
