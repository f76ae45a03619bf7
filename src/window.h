#pragma once

// The one window: its title, where it opens and its first size in pixels.
constexpr const char* windowTitle = "Morvane";
constexpr int windowX = 100;
constexpr int windowY = 100;
constexpr int windowWidth = 500;
constexpr int windowHeight = 500;

// The name and class the window gives the desktop (WM_CLASS on X11), which
// the desktop matches to the program's menu entry.
constexpr const char* windowInstanceName = "morvane";
constexpr const char* windowClassName = "Morvane";

// Ignores SIGPIPE where the platform has it, so that a trace written to a
// pipe whose reader has gone fails quietly instead of ending the process.
void ignoreBrokenPipe();

// Initialises GLUT with the command line, creates the one window with its
// OpenGL context and sets the clear colour and the scene's orthographic
// mapping. The mapping goes into the model-view matrix and stays there.
void openWindow(int* argc, char** argv);

// Tells the desktop whose window the current one is, where GLUT leaves that
// out: on X11 its class and its icon (x11/). Does nothing on other platforms.
void identifyWindow();

// Registers the display and reshape callbacks and arms the first tick at
// once.
void registerCallbacks();

// GLUT timer callback: advances the animation, prints the scale, re-arms
// itself for tickPeriodMilliseconds later and asks for a redraw. The value
// is ignored.
void animationTick(int value);

// GLUT reshape callback: resets the projection matrix to the identity and
// leaves the model-view matrix and the viewport as they are.
void reshapeView(int width, int height);
