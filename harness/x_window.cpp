#include "x_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

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

Window findViewableWindow(Display* display, const std::string& title)
{
    const Window window = findTopLevel(display, title);
    XWindowAttributes attributes;
    if (window != None && XGetWindowAttributes(display, window, &attributes) != 0 &&
        attributes.map_state == IsViewable) {
        return window;
    }
    return None;
}

Window waitForViewableWindow(Display* display, const std::string& title, Milliseconds timeout)
{
    Window window = None;
    waitUntil(timeout, Milliseconds(2), [&] {
        window = findViewableWindow(display, title);
        return window != None;
    });
    return window;
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

std::pair<std::string, std::string> windowClassOf(Display* display, Window window)
{
    XClassHint hint{nullptr, nullptr};
    if (XGetClassHint(display, window, &hint) == 0) {
        return {};
    }
    std::pair<std::string, std::string> names{hint.res_name, hint.res_class};
    XFree(hint.res_name);
    XFree(hint.res_class);
    return names;
}

bool askToClose(Display* display, Window window)
{
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Atom* protocols = nullptr;
    int count = 0;
    bool taken = false;
    if (XGetWMProtocols(display, window, &protocols, &count) != 0) {
        taken = std::find(protocols, protocols + count, deleteWindow) != protocols + count;
        XFree(protocols);
    }
    if (!taken) {
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return true;
}

std::map<int, Image> windowIconsOf(Display* display, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::map<int, Image> icons;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 20, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) != Success || data == nullptr) {
        return icons;
    }
    // Xlib hands a 32-bit property over as longs: width, height, ARGB pixels.
    const long* items = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; format == 32 && i + 2 <= count;) {
        const int width = static_cast<int>(items[i]);
        const int height = static_cast<int>(items[i + 1]);
        i += 2;
        if (width <= 0 || width != height || i + static_cast<unsigned long>(width) * height > count) {
            break;
        }
        Image image(width, height, 0);
        for (int p = 0; p < width * height; ++p) {
            const unsigned long argb = static_cast<unsigned long>(items[i + p]);
            image.rgb[3 * p] = static_cast<std::uint8_t>(argb >> 16);
            image.rgb[3 * p + 1] = static_cast<std::uint8_t>(argb >> 8);
            image.rgb[3 * p + 2] = static_cast<std::uint8_t>(argb);
        }
        icons[width] = image;
        i += static_cast<unsigned long>(width) * height;
    }
    XFree(data);
    return icons;
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

Image captureDrawable(Display* display, Drawable drawable)
{
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XGetGeometry(display, drawable, &root, &x, &y, &width, &height, &border, &depth);
    XImage* ximage = XGetImage(display, drawable, 0, 0, width, height, AllPlanes, ZPixmap);
    if (ximage == nullptr) {
        throw std::runtime_error("XGetImage failed");
    }
    if (ximage->red_mask == 0) {
        // A pixmap has no visual of its own; it holds pixels of the screen's.
        const Visual* visual = DefaultVisual(display, DefaultScreen(display));
        ximage->red_mask = visual->red_mask;
        ximage->green_mask = visual->green_mask;
        ximage->blue_mask = visual->blue_mask;
    }
    Image image(static_cast<int>(width), static_cast<int>(height), 0);
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

void putImage(Display* display, Drawable drawable, GC gc, const Image& image)
{
    Visual* visual = DefaultVisual(display, DefaultScreen(display));
    XImage* ximage = XCreateImage(display, visual, 24, ZPixmap, 0, nullptr, static_cast<unsigned>(image.width),
                                  static_cast<unsigned>(image.height), 32, 0);
    if (ximage == nullptr) {
        throw std::runtime_error("XCreateImage failed");
    }
    std::vector<char> data(static_cast<size_t>(ximage->bytes_per_line) * image.height);
    ximage->data = data.data();
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.at(x, y);
            XPutPixel(ximage, x, y,
                      (static_cast<unsigned long>(p[0]) << shiftOf(visual->red_mask)) |
                          (static_cast<unsigned long>(p[1]) << shiftOf(visual->green_mask)) |
                          (static_cast<unsigned long>(p[2]) << shiftOf(visual->blue_mask)));
        }
    }
    XPutImage(display, drawable, gc, ximage, 0, 0, 0, 0, static_cast<unsigned>(image.width),
              static_cast<unsigned>(image.height));
    ximage->data = nullptr;  // owned by the vector
    XDestroyImage(ximage);
}
