#pragma once

// The name and class the window gives the desktop (WM_CLASS on X11), which
// the desktop matches to the program's menu entry.
constexpr const char* windowInstanceName = "morvane";
constexpr const char* windowClassName = "Morvane";

// Tells the desktop whose window the current one is, where GLUT leaves that
// out: on X11 its class and its icon. Does nothing on other platforms.
void identifyWindow();
