#pragma once

#include "running_program.h"

#include <string>

// A private Xvfb on a display number of its own choosing, with one 24-bit
// screen and no window manager. Stopped when destroyed, and in any case when
// the process that started it ends.
class PrivateXServer {
public:
    PrivateXServer();

    const std::string& display() const { return display_; }
    // Leaves the server running until this process ends, for clients that
    // still talk to it on their way out.
    void keepUntilExit() { xvfb_.keepUntilExit(); }

private:
    RunningProgram xvfb_;
    std::string display_;
};
