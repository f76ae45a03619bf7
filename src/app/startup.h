#pragma once

// The one window: its title, where it opens and its first size in pixels.
constexpr const char* windowTitle = "Morvane";
constexpr int windowX = 100;
constexpr int windowY = 100;
constexpr int windowWidth = 500;
constexpr int windowHeight = 500;

// Ignores SIGPIPE where the platform has it, so that a trace written to a
// pipe whose reader has gone fails quietly instead of ending the process.
void ignoreBrokenPipe();

// Initialises GLUT with the command line, creates the one window with its
// OpenGL context and sets the clear colour and the scene's orthographic
// mapping. The mapping goes into the model-view matrix and stays there.
void openWindow(int* argc, char** argv);

// Registers the display and reshape callbacks and arms the first tick.
void registerCallbacks();
