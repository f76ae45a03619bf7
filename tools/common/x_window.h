#pragma once

#include "image.h"

#include <X11/Xlib.h>

#include <string>

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

// The contents of a window's client area, or of a pixmap, as the X server
// holds them.
Image captureDrawable(Display* display, Drawable drawable);

// Puts a picture into a 24-bit window or pixmap at its top-left corner.
void putImage(Display* display, Drawable drawable, GC gc, const Image& image);

