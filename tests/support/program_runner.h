#pragma once

// What runs the program under test: the Linux build itself, a Windows
// build under wine, or the page in headless Chromium. The same checks run
// on each.
#include "common/deadline.h"

#include <ostream>
#include <string>
#include <vector>

struct ProgramRunner {
    const char* name;
    // The environment variable that names the build to run (a Windows
    // executable, the page); none for the Linux build.
    const char* buildVariable;
    // What goes before that build on the command line.
    std::vector<std::string> launcher;
    // Wine and the browser take a while to start.
    Milliseconds startTimeout;
};

void PrintTo(const ProgramRunner& runner, std::ostream* out);

extern const ProgramRunner linuxProgram;
extern const ProgramRunner windows64UnderWine;
extern const ProgramRunner windows32UnderWine;
// The page's trace lines, as the driver prints them from the browser.
extern const ProgramRunner pageInBrowser;

// The command that starts the program with these arguments, or nothing when
// the runner's environment variable names no build.
std::vector<std::string> programCommand(const ProgramRunner& runner, const std::vector<std::string>& args = {});
