#include "program.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstdint>
#include <stdexcept>
#include <thread>

std::string programPath()
{
    return MORVANE_EXECUTABLE;
}

RunningProgram::RunningProgram(const std::string& display, const std::vector<std::string>& args, TraceOutput output)
{
    int fds[2] = {-1, -1};
    if (output == TraceOutput::Pipe && pipe(fds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        if (output == TraceOutput::Pipe) {
            close(fds[0]);
            dup2(fds[1], STDOUT_FILENO);
            close(fds[1]);
        } else {
            const int full = open("/dev/full", O_WRONLY);
            dup2(full, STDOUT_FILENO);
        }
        // A child of a process that ignores SIGPIPE would inherit that; the
        // program must be seen starting from the default.
        signal(SIGPIPE, SIG_DFL);
        if (display.empty()) {
            unsetenv("DISPLAY");
        } else {
            setenv("DISPLAY", display.c_str(), 1);
        }
        const std::string path = programPath();
        std::vector<char*> argv{const_cast<char*>(path.c_str())};
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    if (output == TraceOutput::Pipe) {
        close(fds[1]);
        traceFd_ = fds[0];
    }
}

RunningProgram::~RunningProgram()
{
    closeTrace();
    if (running()) {
        kill(pid_, SIGTERM);
        if (!waitForExit(Milliseconds(3000))) {
            kill(pid_, SIGKILL);
            waitForExit(Milliseconds(3000));
        }
    }
}

bool RunningProgram::running()
{
    if (status_) {
        return false;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = status;
        return false;
    }
    return true;
}

std::optional<int> RunningProgram::waitForExit(Milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(Milliseconds(5));
    }
    return status_;
}

const std::vector<std::string>& RunningProgram::readLines(size_t count, Milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (traceFd_ >= 0) {
        const auto left = std::chrono::duration_cast<Milliseconds>(deadline - std::chrono::steady_clock::now());
        const int wait = lines_.size() >= count ? 0 : static_cast<int>(std::max<long>(0, left.count()));
        pollfd p{traceFd_, POLLIN, 0};
        if (poll(&p, 1, wait) <= 0) {
            if (lines_.size() >= count || left.count() <= 0) {
                break;
            }
            continue;
        }
        char buffer[4096];
        const ssize_t n = read(traceFd_, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        pending_.append(buffer, static_cast<size_t>(n));
        size_t newline;
        while ((newline = pending_.find('\n')) != std::string::npos) {
            lines_.push_back(pending_.substr(0, newline));
            pending_.erase(0, newline + 1);
        }
    }
    return lines_;
}

void RunningProgram::closeTrace()
{
    if (traceFd_ >= 0) {
        close(traceFd_);
        traceFd_ = -1;
    }
}

namespace {

// Windows come and go while the tests look at them; a request about one that
// has just gone must not end the test process.
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

std::uint8_t channel(unsigned long pixel, unsigned long mask)
{
    return static_cast<std::uint8_t>((pixel & mask) >> shiftOf(mask));
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
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const unsigned long pixel = XGetPixel(ximage, x, y);
            std::uint8_t* p = image.at(x, y);
            p[0] = channel(pixel, ximage->red_mask);
            p[1] = channel(pixel, ximage->green_mask);
            p[2] = channel(pixel, ximage->blue_mask);
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
