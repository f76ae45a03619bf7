#pragma once

#include <sys/types.h>

#include <string>

// A private Xvfb on a display number of its own choosing, with one 24-bit
// screen and no window manager. Stopped by its process id when destroyed.
class PrivateXServer {
public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};
