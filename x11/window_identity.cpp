// X11 only. freeglut creates its window with no class (WM_CLASS) and no
// icon (_NET_WM_ICON): desktops then cannot tie the window to the program's
// menu entry (GNOME calls it "Unknown" and starts a second copy instead of
// raising it) and show a generic icon, or none. Both are set here on the
// window of the current GLX context, the one glutCreateWindow made.
//
// freeglut maps the window inside glutCreateWindow, before the program can
// touch it, so the class arrives a moment after the window is mapped: in
// time for its first frame and for desktops that read it when it changes
// (GNOME does), not for window managers that read it only at map time
// (openbox's per-application rules), short of reaching into freeglut.
#include "window.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstddef>
#include <memory>

// The value of _NET_WM_ICON as the picture tool draws it (icons/), built in.
extern const unsigned char netWmIcon[];
extern const std::size_t netWmIconSize;

void identifyWindow()
{
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable window = glXGetCurrentDrawable();
    if (display == nullptr || window == None) {
        return;
    }
    XClassHint classHint{const_cast<char*>(windowInstanceName), const_cast<char*>(windowClassName)};
    XSetClassHint(display, window, &classHint);

    // The icon data holds 32-bit little-endian numbers; Xlib takes a
    // 32-bit property as an array of long.
    const std::size_t count = netWmIconSize / 4;
    const std::unique_ptr<long[]> icon(new long[count]);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* bytes = netWmIcon + 4 * i;
        icon[i] = static_cast<long>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                    static_cast<unsigned long>(bytes[3]) << 24);
    }
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(icon.get()), static_cast<int>(count));
    XFlush(display);
}
