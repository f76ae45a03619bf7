#pragma once

#include "deadline.h"
#include "image.h"

#include <X11/Xlib.h>

#include <map>
#include <string>
#include <utility>

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

// The top-level window with this title if it is viewable now, or None.
Window findViewableWindow(Display* display, const std::string& title);

// The same once it is viewable, or None after the timeout.
Window waitForViewableWindow(Display* display, const std::string& title, Milliseconds timeout);

struct WindowPlacement {
    int x, y, width, height;
};
// The client area's position on the screen and its size.
WindowPlacement placementOf(Display* display, Window window);

// The window's WM_CLASS (instance name, class), or empty strings.
std::pair<std::string, std::string> windowClassOf(Display* display, Window window);

// Asks the window to close as a window manager does when its close button
// is pressed: a WM_DELETE_WINDOW message. False, with nothing sent, if the
// window does not take that message (a window manager would then kill its
// connection instead).
bool askToClose(Display* display, Window window);

// The pictures in the window's _NET_WM_ICON, by size (each is square).
std::map<int, Image> windowIconsOf(Display* display, Window window);

// The contents of a window's client area, or of a pixmap, as the X server
// holds them.
Image captureDrawable(Display* display, Drawable drawable);

// Puts a picture into a 24-bit window or pixmap at its top-left corner.
void putImage(Display* display, Drawable drawable, GC gc, const Image& image);
