#include "x_window.h"

#include <X11/Xutil.h>

#include <cstdint>
#include <stdexcept>
#include <thread>

namespace {

// Windows come and go while they are looked at; a request about one that
// has just gone must not end this process.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

}  // namespace

XConnection::XConnection(const std::string& display) : display_(XOpenDisplay(display.c_str()))
{
    XSetErrorHandler(ignoreXError);
    if (display_ == nullptr) {
        throw std::runtime_error("cannot open display " + display);
    }
}

XConnection::~XConnection()
{
    XCloseDisplay(display_);
}

namespace {

Window findTopLevel(Display* display, const std::string& title)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = None;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return None;
    }
    for (unsigned i = 0; i < count && found == None; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            if (title == name) {
                found = children[i];
            }
            XFree(name);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

}  // namespace

Window waitForViewableWindow(Display* display, const std::string& title, Milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        const Window window = findTopLevel(display, title);
        if (window != None) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable) {
                return window;
            }
        }
        std::this_thread::sleep_for(Milliseconds(2));
    }
    return None;
}

namespace {

int shiftOf(unsigned long mask)
{
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

}  // namespace

Image captureWindow(Display* display, Window window)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    XImage* ximage = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                               static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (ximage == nullptr) {
        throw std::runtime_error("XGetImage failed");
    }
    Image image(attributes.width, attributes.height, 0);
    const int redShift = shiftOf(ximage->red_mask);
    const int greenShift = shiftOf(ximage->green_mask);
    const int blueShift = shiftOf(ximage->blue_mask);
    const bool direct = ximage->bits_per_pixel == 32 && ximage->byte_order == LSBFirst;
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint8_t*>(ximage->data) + static_cast<size_t>(y) * ximage->bytes_per_line;
        for (int x = 0; x < image.width; ++x) {
            unsigned long pixel = 0;
            if (direct) {
                const std::uint8_t* p = row + 4 * static_cast<size_t>(x);
                pixel = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned long>(p[3]) << 24);
            } else {
                pixel = XGetPixel(ximage, x, y);
            }
            std::uint8_t* out = image.at(x, y);
            out[0] = static_cast<std::uint8_t>((pixel & ximage->red_mask) >> redShift);
            out[1] = static_cast<std::uint8_t>((pixel & ximage->green_mask) >> greenShift);
            out[2] = static_cast<std::uint8_t>((pixel & ximage->blue_mask) >> blueShift);
        }
    }
    XDestroyImage(ximage);
    return image;
}

WindowPlacement placementOf(Display* display, Window window)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}
