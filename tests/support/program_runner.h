#pragma once

// What runs the program under test: the Linux build itself, or a Windows
// build under wine. The same checks run on each.
#include "common/deadline.h"

#include <ostream>
#include <string>
#include <vector>

struct ProgramRunner {
    const char* name;
    // The environment variable that names the Windows executable; none for
    // the Linux build.
    const char* executableVariable;
    // What starts the executable; none for the Linux build.
    const char* loader;
    // Wine needs a while to start on first use of its prefix.
    Milliseconds startTimeout;
};

void PrintTo(const ProgramRunner& runner, std::ostream* out);

extern const ProgramRunner linuxProgram;
extern const ProgramRunner windows64UnderWine;
extern const ProgramRunner windows32UnderWine;

// The command that starts the program with these arguments, or nothing when
// the runner's environment variable names no executable.
std::vector<std::string> programCommand(const ProgramRunner& runner, const std::vector<std::string>& args = {});
