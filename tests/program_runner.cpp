#include "program_runner.h"

#include "icons.h"

#include <cstdlib>

namespace {

// Wine makes the window's _NET_WM_ICON from the icon of its window class.
constexpr int wineIconSizes[] = {16, 32};
// Wine's 64-bit loader by its path, which tests/CMakeLists.txt names.
constexpr const char* wine64Launcher[] = {MORVANE_WINE64_LOADER};
constexpr const char* wine32Launcher[] = {"wine"};
constexpr const char* chromiumLauncher[] = {"node", MORVANE_WEB_DRIVER, "--page"};
constexpr const char* firefoxLauncher[] = {"node", MORVANE_WEB_DRIVER, "--browser", "firefox", "--page"};
constexpr const char* chrootLauncher[] = {"chroot"};
constexpr const char* installedProgramPath[] = {"/usr/bin/morvane"};

}  // namespace

// One row a build: label, variable naming the build, launcher, after the
// build, start timeout, window class, icon sizes in _NET_WM_ICON, execution.
// tests/CMakeLists.txt reads the labels from here.
constexpr ProgramRunner linuxProgram{"linux", nullptr, {}, {}, programStartTimeout, WindowClass::Program,
                                     x11IconSizes, Execution::Native};
constexpr ProgramRunner windows64UnderWine{"wine64", "MORVANE_WINDOWS_EXE_X86_64", wine64Launcher, {},
                                           Milliseconds(60000), WindowClass::Wine, wineIconSizes, Execution::Native};
constexpr ProgramRunner windows32UnderWine{"wine32", "MORVANE_WINDOWS_EXE_I686", wine32Launcher, {},
                                           Milliseconds(60000), WindowClass::Wine, wineIconSizes, Execution::Native};
constexpr ProgramRunner pageInChromium{"chromium", "MORVANE_WEB_PAGE", chromiumLauncher, {}, Milliseconds(60000),
                                       WindowClass::Program, {}, Execution::Native};
constexpr ProgramRunner pageInFirefox{"firefox", "MORVANE_WEB_PAGE", firefoxLauncher, {}, Milliseconds(60000),
                                      WindowClass::Program, {}, Execution::Native};
constexpr ProgramRunner installedPackage{"installed", "MORVANE_INSTALLED_ROOT", chrootLauncher, installedProgramPath,
                                         programStartTimeout, WindowClass::Program, x11IconSizes, Execution::Native};
constexpr ProgramRunner emulatedPackage{"emulated", "MORVANE_INSTALLED_ROOT", chrootLauncher, installedProgramPath,
                                        Milliseconds(120000), WindowClass::Program, x11IconSizes, Execution::Emulated};

void PrintTo(const ProgramRunner& runner, std::ostream* out)
{
    *out << runner.label;
}

std::vector<std::string> programCommand(const ProgramRunner& runner, const std::vector<std::string>& args)
{
    std::vector<std::string> command(runner.launcher.begin(), runner.launcher.end());
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
