#pragma once

#include <sys/types.h>

#include <string>

// A private Xvfb on a display number of its own choosing, with one 24-bit
// screen and no window manager. Stopped by its process id when destroyed,
// and in any case when the process that started it ends.
class PrivateXServer {
public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    const std::string& display() const { return display_; }
    // Leaves the server running until this process ends, for clients that
    // still talk to it on their way out.
    void keepUntilExit() { pid_ = -1; }

private:
    pid_t pid_ = -1;
    std::string display_;
};
