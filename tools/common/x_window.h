#pragma once

#include "image.h"

#include <X11/Xlib.h>

#include <chrono>
#include <string>

using Milliseconds = std::chrono::milliseconds;

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

