#pragma once

// What runs the program under test: the Linux build itself, a Windows
// build under wine, the page in headless Chromium or Firefox, or the program
// that the Debian package installed into a fresh system. The same checks
// run on each.
#include "deadline.h"

#include <array>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

// A list fixed when the tests are compiled. The rows below hold these rather
// than vectors, so that each row is a constant, set before any code runs,
// and never a copy of another file's variable taken before that was set.
template <typename T>
struct FixedList {
    const T* first = nullptr;
    std::size_t count = 0;

    constexpr FixedList() = default;
    template <std::size_t N>
    constexpr FixedList(const T (&items)[N]) : first(items), count(N)
    {
    }
    template <std::size_t N>
    constexpr FixedList(const std::array<T, N>& items) : first(items.data()), count(N)
    {
    }
    const T* begin() const { return first; }
    const T* end() const { return first + count; }
    bool empty() const { return count == 0; }
};

// How long the program built here may take to show its window.
constexpr Milliseconds programStartTimeout{10000};

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
    FixedList<const char*> launcher;
    FixedList<const char*> program;
    // Wine and the browser take a while to start.
    Milliseconds startTimeout;
    WindowClass windowClass;
    // The sizes of the pictures of Morvane's icon in the window's
    // _NET_WM_ICON (none for the page, which has no X window).
    FixedList<int> windowIconSizes;
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
