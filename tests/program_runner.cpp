#include "program_runner.h"

#include "icons.h"

#include <cstdlib>

// Wine makes the window's _NET_WM_ICON from the icon of its window class.
const std::vector<int> wineIconSizes = {16, 32};

// One row a build: label, variable naming the build, launcher, after the
// build, start timeout, window class, icon sizes in _NET_WM_ICON, execution.
// tests/CMakeLists.txt reads the labels from here.
const ProgramRunner linuxProgram{"linux", nullptr, {}, {}, Milliseconds(10000), WindowClass::Program,
                                 x11IconSizes, Execution::Native};
// Wine's 64-bit loader by its path, which tests/CMakeLists.txt names.
const ProgramRunner windows64UnderWine{"wine64", "MORVANE_WINDOWS_EXE_X86_64", {MORVANE_WINE64_LOADER}, {},
                                       Milliseconds(60000), WindowClass::Wine, wineIconSizes, Execution::Native};
const ProgramRunner windows32UnderWine{"wine32", "MORVANE_WINDOWS_EXE_I686", {"wine"}, {}, Milliseconds(60000),
                                       WindowClass::Wine, wineIconSizes, Execution::Native};
const ProgramRunner pageInChromium{"chromium", "MORVANE_WEB_PAGE", {"node", MORVANE_WEB_DRIVER, "--page"}, {},
                                   Milliseconds(60000), WindowClass::Program, {}, Execution::Native};
const ProgramRunner pageInFirefox{"firefox", "MORVANE_WEB_PAGE",
                                  {"node", MORVANE_WEB_DRIVER, "--browser", "firefox", "--page"}, {},
                                  Milliseconds(60000), WindowClass::Program, {}, Execution::Native};
const ProgramRunner installedPackage{"installed", "MORVANE_INSTALLED_ROOT", {"chroot"}, {"/usr/bin/morvane"},
                                     Milliseconds(10000), WindowClass::Program, x11IconSizes, Execution::Native};
const ProgramRunner emulatedPackage{"emulated", "MORVANE_INSTALLED_ROOT", {"chroot"}, {"/usr/bin/morvane"},
                                    Milliseconds(120000), WindowClass::Program, x11IconSizes, Execution::Emulated};

void PrintTo(const ProgramRunner& runner, std::ostream* out)
{
    *out << runner.label;
}

std::vector<std::string> programCommand(const ProgramRunner& runner, const std::vector<std::string>& args)
{
    std::vector<std::string> command = runner.launcher;
    if (runner.buildVariable == nullptr) {
        command.push_back(MORVANE_EXECUTABLE);
    } else {
        const char* build = std::getenv(runner.buildVariable);
        if (build == nullptr || *build == '\0') {
            return {};
        }
        command.push_back(build);
    }
    command.insert(command.end(), runner.program.begin(), runner.program.end());
    command.insert(command.end(), args.begin(), args.end());
    return command;
}
