#pragma once

// Checks on a running program: its window, the frames it shows and its trace.
#include <gtest/gtest.h>

#include "app/startup.h"
#include "common/child_process.h"
#include "common/x_window.h"
#include "reference_frame.h"

#include <map>
#include <ostream>
#include <utility>
#include <string>
#include <vector>

void PrintTo(TraceOutput output, std::ostream* out);

// The top-level window with this title once it is viewable, or None.
Window waitForViewableWindow(Display* display, const std::string& title, Milliseconds timeout);

struct WindowPlacement {
    int x, y, width, height;
};
// The client area's position on the screen and its size.
WindowPlacement placementOf(Display* display, Window window);

// Blank frames (every square outside the window) count as a match only where
// asked for: otherwise waiting for the current frame would always end on one.
enum class Blank { Counts, Skipped };

// How a captured frame compares with the frames of a range of ticks.
struct FrameMatch {
    long tick = -1;       // the earliest tick whose frame it is exactly, or -1
    long fewest = -1;     // otherwise the fewest mismatching pixels
    ExpectedFrame closest;
};
FrameMatch matchFrame(const Image& shown, long firstTick, long lastTick, Blank blank,
                      int viewportSize = windowWidth);

// Captures the window until it shows the frame of a tick that the trace says
// may be on screen: from `lag` ticks before the last line read before the
// capture (drawing trails the trace, more so on a loaded machine) up to the
// last line read after it. Returns the earliest tick whose frame it is, or
// -1, with a test failure naming the saved closest miss, after two seconds.
long waitForExpectedFrame(RunningProgram& program, Display* display, Window window, const std::string& name,
                          Blank blank = Blank::Skipped, long lag = 4);

// The window's WM_CLASS (instance name, class), or empty strings.
std::pair<std::string, std::string> windowClassOf(Display* display, Window window);

// The pictures in the window's _NET_WM_ICON, by size (each is square), and
// Morvane's icon of a size as it is kept in icons/.
std::map<int, Image> windowIconsOf(Display* display, Window window);
Image morvaneIcon(int size);

// Every line so far is the one its tick must print. Lines may end in a
// carriage return where the program runs on Windows.
void expectTraceFromTheStart(const std::vector<std::string>& lines);
