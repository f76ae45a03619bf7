#pragma once

// What runs the program under test: the Linux build itself, a Windows
// build under wine, the page in headless Chromium or Firefox, or the program
// that the Debian package installed into a fresh system. The same checks
// run on each.
#include "deadline.h"

#include <ostream>
#include <string>
#include <vector>

// Whose class the window gives the desktop (WM_CLASS): the program's own,
// or one wine makes up from the executable's name.
enum class WindowClass { Program, Wine };
// How the program's instructions run: on this machine's processor, or
// through qemu for another architecture's, many times slower, so that its
// pace says nothing of the program's and it takes longer to get anywhere.
enum class Execution { Native, Emulated };

struct ProgramRunner {
    // The build's CTest label, which names its tests (tests/CMakeLists.txt).
    const char* label;
    // The environment variable that names the build to run (a Windows
    // executable, the page, the system the package went into); none for
    // the Linux build.
    const char* buildVariable;
    // What goes before and after that build on the command line.
    std::vector<std::string> launcher;
    std::vector<std::string> program;
    // Wine and the browser take a while to start.
    Milliseconds startTimeout;
    WindowClass windowClass;
    // The sizes of the pictures of Morvane's icon in the window's
    // _NET_WM_ICON (none for the page, which has no X window).
    std::vector<int> windowIconSizes;
    Execution execution;
};

void PrintTo(const ProgramRunner& runner, std::ostream* out);

extern const ProgramRunner linuxProgram;
extern const ProgramRunner windows64UnderWine;
extern const ProgramRunner windows32UnderWine;
// The page's trace lines, as the driver prints them from the browser:
// Debian's Chromium, or its Firefox ESR (which needs the X server for WebGL).
extern const ProgramRunner pageInChromium;
extern const ProgramRunner pageInFirefox;
// /usr/bin/morvane in the system the package was installed into: one of
// this machine's architecture, or one of another run under emulation.
extern const ProgramRunner installedPackage;
extern const ProgramRunner emulatedPackage;

// The command that starts the program with these arguments, or nothing when
// the runner's environment variable names no build.
std::vector<std::string> programCommand(const ProgramRunner& runner, const std::vector<std::string>& args = {});
