#pragma once

#include "image.h"

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

using Milliseconds = std::chrono::milliseconds;

enum class TraceOutput { Pipe, DevFull };

inline void PrintTo(TraceOutput output, std::ostream* out)
{
    *out << (output == TraceOutput::Pipe ? "pipe" : "/dev/full");
}

// The built morvane executable running as a child process, stopped with
// SIGTERM (then SIGKILL) when destroyed.
class RunningProgram {
public:
    // An empty display starts it with no DISPLAY at all.
    RunningProgram(const std::string& display, const std::vector<std::string>& args = {},
                   TraceOutput output = TraceOutput::Pipe);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // The exit status, or nothing if it is still running after the timeout.
    std::optional<int> waitForExit(Milliseconds timeout);

    // Reads what has arrived, waiting up to the timeout until at least
    // `count` complete lines have; returns all complete lines so far.
    const std::vector<std::string>& readLines(size_t count, Milliseconds timeout);
    const std::vector<std::string>& lines() const { return lines_; }
    // Whatever followed the last newline.
    const std::string& partialLine() const { return pending_; }
    // Closes the reading end, as a reader that has had enough does.
    void closeTrace();

private:
    pid_t pid_ = -1;
    int traceFd_ = -1;
    std::optional<int> status_;
    std::string pending_;
    std::vector<std::string> lines_;
};

// A connection to the display, closed when destroyed.
class XConnection {
public:
    explicit XConnection(const std::string& display);
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;
    Display* get() const { return display_; }

private:
    Display* display_;
};

// The top-level window with this title once it is viewable, or None.
Window waitForViewableWindow(Display* display, const std::string& title, Milliseconds timeout);

struct WindowPlacement {
    int x, y, width, height;
};
// The client area's position on the screen and its size.
WindowPlacement placementOf(Display* display, Window window);

// The client area of a window as the X server holds it.
Image captureWindow(Display* display, Window window);

// Where the built program is.
std::string programPath();
