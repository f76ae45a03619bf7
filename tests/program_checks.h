#pragma once

// Checks on a running program: its window, the frames it shows and its trace.
#include <gtest/gtest.h>

#include "reference_frame.h"
#include "running_program.h"
#include "window.h"
#include "x_window.h"

#include <string>
#include <vector>

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

// The earliest tick of the range whose frame the picture is exactly, or -1
// with a test failure naming the closest miss, saved as NAME-*.png.
long expectFrameOfTicks(const Image& shown, long firstTick, long lastTick, Blank blank, const std::string& name,
                        int viewportSize = windowWidth);

// How many ticks the frame on screen may trail the last trace line read:
// drawing follows the tick, more so on a loaded machine.
constexpr long frameLagTicks = 4;

// Captures the window until it shows the frame of a tick that the trace says
// may be on screen: from `lag` ticks before the last line read before the
// capture up to the last line read after it. Returns the earliest tick whose
// frame it is, or -1, with a test failure naming the saved closest miss, after
// two seconds.
long waitForExpectedFrame(RunningProgram& program, Display* display, Window window, const std::string& name,
                          Blank blank = Blank::Skipped, long lag = frameLagTicks);

// Finds the program's window once it is viewable, within the timeout, and
// succeeds if it has the program's first size.
::testing::AssertionResult findProgramWindow(Display* display, Milliseconds timeout, Window& window);

// How many frames of each part of the cycle a run showed: the squares
// approaching, and the merged figure spinning and shrinking (blank frames
// count for neither). A drawing that is wrong only while some squares are
// in view matches no frame then, and shows up as a part of the cycle
// never seen.
struct CycleParts {
    int approaching = 0;
    int shrinking = 0;
    void add(long tick);
};
void expectBothPartsOfTheCycle(const CycleParts& parts);

// Every line so far is the one its tick must print, and there is one at least. Lines may end in a
// carriage return where the program runs on Windows.
void expectTraceFromTheStart(const std::vector<std::string>& lines);
