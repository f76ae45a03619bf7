// The built program, run as a person runs it, on a private X server. The
// trace and frame checks also run on the other builds (program_runner.h):
// the Windows programs under wine, the page in two browsers (trace only) and
// the program the Debian package installed.
#include <gtest/gtest.h>

#include "animation.h"
#include "display_environment.h"
#include "icons.h"
#include "named_case.h"
#include "program_checks.h"
#include "program_runner.h"
#include "running_program.h"
#include "window.h"
#include "x_window.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <string>
#include <thread>
#include <utility>

namespace {

const auto* const display = ::testing::AddGlobalTestEnvironment(new PrivateDisplayEnvironment);

// What people see of the window, written out here rather than read from the
// program's header, so that a change there cannot pass unnoticed (the menu
// entry, packaging/morvane.desktop, names the same class).
const char* const seenTitle = "Morvane";
const int seenX = 100;
const int seenY = 100;
const int seenSize = 500;
const std::pair<std::string, std::string> seenClass{"morvane", "Morvane"};

class ProgramStart : public ::testing::TestWithParam<NamedCase<std::vector<std::string>>> {};

// Other arguments are GLUT's to take or leave; none may change the program.
// An argument "DISPLAY" stands for the test display, named on the command
// line to a program that has none in its environment.
TEST_P(ProgramStart, OpensItsWindowAndShowsAWhiteFirstFrame)
{
    std::vector<std::string> args = GetParam().value;
    std::string environmentDisplay = testDisplay();
    for (std::string& arg : args) {
        if (arg == "DISPLAY") {
            arg = testDisplay();
            environmentDisplay.clear();
        }
    }
    // Until the third tick every square is still outside the window. The
    // first frame that can be seen must be that white one, however late the
    // window comes; but the test sees it only if it looks before the third
    // tick, which a busy machine may not let it do. So an animated frame
    // first is only a fault when every one of a few starts shows it.
    const int starts = 5;
    for (int start = 1; start <= starts; ++start) {
        RunningProgram program(programCommand(linuxProgram, args), environmentDisplay);
        XConnection x(testDisplay());
        Window window = None;
        ASSERT_TRUE(findProgramWindow(x.get(), programStartTimeout, window));
        const long tick = waitForExpectedFrame(program, x.get(), window,
                                               std::string("first-frame-") + GetParam().name, Blank::Counts, 1000);
        if (tick > 2 && start < starts) {
            continue;
        }
        EXPECT_GE(tick, 0);
        EXPECT_LE(tick, 2) << "in " << starts << " starts the first frame seen was an animated one each time";
        EXPECT_EQ(findViewableWindow(x.get(), seenTitle), window) << "the window is not titled " << seenTitle;
        const WindowPlacement placement = placementOf(x.get(), window);
        EXPECT_EQ(std::make_pair(placement.x, placement.y), std::make_pair(seenX, seenY));
        EXPECT_EQ(std::make_pair(placement.width, placement.height), std::make_pair(seenSize, seenSize));

        program.readLines(20, Milliseconds(5000));
        expectTraceFromTheStart(program.lines());
        EXPECT_TRUE(program.running());
        return;
    }
}

INSTANTIATE_TEST_SUITE_P(CommandLines, ProgramStart,
                         ::testing::Values(NamedCase<std::vector<std::string>>{"plain", {}},
                                           NamedCase<std::vector<std::string>>{"extraArguments", {"foo", "--bar"}},
                                           NamedCase<std::vector<std::string>>{"displayOption", {"-display", "DISPLAY"}},
                                           // GLUT takes it, then the program sets its own place and size.
                                           NamedCase<std::vector<std::string>>{"geometry",
                                                                               {"-geometry", "300x200+50+60"}}),
                         ::testing::PrintToStringParamName());

class ProgramWithoutDisplay : public ::testing::TestWithParam<NamedCase<const char*>> {};

TEST_P(ProgramWithoutDisplay, EndsWithAFailureStatusPromptly)
{
    RunningProgram program(programCommand(linuxProgram), GetParam().value);
    const std::optional<int> status = program.waitForExit(Milliseconds(5000));
    ASSERT_TRUE(status.has_value()) << "still running five seconds after starting without a display";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) != 0) << "status " << *status;
    EXPECT_TRUE(program.readLines(0, Milliseconds(0)).empty());
}

INSTANTIATE_TEST_SUITE_P(Displays, ProgramWithoutDisplay,
                         ::testing::Values(NamedCase<const char*>{"noDisplay", ""},
                                           NamedCase<const char*>{"unreachableDisplay", ":4095"}),
                         ::testing::PrintToStringParamName());

// The same checks on each build that can run here.
class ProgramRun : public ::testing::TestWithParam<ProgramRunner> {
protected:
    void SetUp() override
    {
        command = programCommand(GetParam());
        ASSERT_FALSE(command.empty()) << GetParam().buildVariable
                                      << " does not name the build to run (the test preset of the same name sets"
                                         " it; for an installed package, scripts/package --check)";
        const std::string build = command[GetParam().launcher.count];
        ASSERT_TRUE(std::filesystem::exists(build)) << "there is no " << build << " (scripts/windows, scripts/web"
                                                       " and scripts/package --check make the builds)";
    }

    std::vector<std::string> command;
};

TEST_P(ProgramRun, PrintsTheExpectedTraceLineByLine)
{
    RunningProgram program(command, testDisplay());
    ASSERT_FALSE(program.readLines(1, GetParam().startTimeout).empty()) << "no output from the program";
    // Two whole cycles, within a deadline that a busy machine meets too:
    // pace is judged by the gaps between the lines, not by a count in a
    // fixed time.
    const size_t ticks = 2u * ticksPerCycle;
    const Milliseconds deadline = GetParam().execution == Execution::Emulated ? Milliseconds(120000) : Milliseconds(30000);
    program.readLines(ticks, deadline);
    RecordProperty("ticks", static_cast<int>(program.lines().size()));
    ASSERT_GE(program.lines().size(), ticks) << "fewer than two whole cycles in " << deadline.count() << " ms";
    expectTraceFromTheStart(program.lines());
    EXPECT_EQ(program.partialLine(), "") << "a line arrived in pieces";
    if (GetParam().execution == Execution::Emulated) {
        return;
    }

    // Ticks are never early (the timer re-arms after each tick's work), so
    // on average they are at least about a period apart; and most of them,
    // whatever a few stalls do, come one period after the last.
    const auto& arrivals = program.arrivals();
    std::vector<double> gaps;
    for (size_t i = 1; i < ticks; ++i) {
        gaps.push_back(std::chrono::duration<double, std::milli>(arrivals[i] - arrivals[i - 1]).count());
    }
    const double mean = std::accumulate(gaps.begin(), gaps.end(), 0.0) / static_cast<double>(gaps.size());
    std::nth_element(gaps.begin(), gaps.begin() + static_cast<long>(gaps.size() / 2), gaps.end());
    const double median = gaps[gaps.size() / 2];
    RecordProperty("meanGapMicroseconds", static_cast<int>(mean * 1000));
    EXPECT_GE(mean, 0.9 * tickPeriodMilliseconds) << "ticks came faster than one a period";
    EXPECT_LE(median, 1.5 * tickPeriodMilliseconds) << "most ticks came later than one period after the last";
}

INSTANTIATE_TEST_SUITE_P(Builds, ProgramRun,
                         ::testing::Values(linuxProgram, windows64UnderWine, windows32UnderWine, pageInChromium,
                                           pageInFirefox, installedPackage, emulatedPackage),
                         ::testing::PrintToStringParamName());

// The page's frames are checked in web_test.cpp: its canvas is no X window.
class ProgramWindowRun : public ProgramRun {};

TEST_P(ProgramWindowRun, ShowsTheFramesOfTheAnimationThroughACycle)
{
    RunningProgram program(command, testDisplay());
    XConnection x(testDisplay());
    // Under wine the X window is the client area: wine draws any frame
    // around it itself.
    Window window = None;
    ASSERT_TRUE(findProgramWindow(x.get(), GetParam().startTimeout, window));
    // Sampled from the first tick that draws squares, which under emulation
    // can come seconds after the window.
    ASSERT_GT(program.readLines(lastBlankTick + 1, GetParam().startTimeout).size(), size_t(lastBlankTick));

    long last = -1;
    CycleParts parts;
    // About two and a half cycles, sampled at uneven moments; under
    // emulation, for as long as the program takes to get through a cycle.
    const auto deadline = Clock::now() + GetParam().startTimeout;
    for (int i = 0; i < 24 || (GetParam().execution == Execution::Emulated && last <= ticksPerCycle && Clock::now() < deadline); ++i) {
        const long tick = waitForExpectedFrame(program, x.get(), window,
                                               std::string(GetParam().label) + "-animation-" + std::to_string(i));
        ASSERT_GE(tick, 0);
        EXPECT_GE(tick, last);
        last = tick;
        parts.add(tick);
        std::this_thread::sleep_for(Milliseconds(130 + 40 * (i % 3)));
    }
    EXPECT_GT(last, ticksPerCycle) << "the animation did not get through a cycle";
    expectBothPartsOfTheCycle(parts);
    expectTraceFromTheStart(program.readLines(0, Milliseconds(0)));

    // Once frames show, the desktop can tell whose window it is: by its
    // class, which the menu entry names, and by Morvane's own icon in every
    // size it carries.
    if (GetParam().windowClass == WindowClass::Program) {
        EXPECT_EQ(windowClassOf(x.get(), window), seenClass);
    }
    const std::map<int, Image> icons = windowIconsOf(x.get(), window);
    ASSERT_FALSE(GetParam().windowIconSizes.empty()) << "the row names no icon sizes to look for";
    for (const int size : GetParam().windowIconSizes) {
        ASSERT_EQ(icons.count(size), 1u) << "no " << size << " pixel icon in _NET_WM_ICON";
        EXPECT_TRUE(icons.at(size).rgb == morvaneIcon(size).rgb) << "the " << size << " pixel icon is not Morvane's";
    }
}

INSTANTIATE_TEST_SUITE_P(Builds, ProgramWindowRun,
                         ::testing::Values(linuxProgram, windows64UnderWine, windows32UnderWine, installedPackage,
                                           emulatedPackage),
                         ::testing::PrintToStringParamName());

// Closed from its title bar: the window manager asks with WM_DELETE_WINDOW,
// and the program ends at once, with success; under wine too, as a Windows
// user closes its window.
class ProgramClose : public ProgramRun {};

TEST_P(ProgramClose, EndsWithStatusZeroPromptly)
{
    // On its way out GLUT closes the display, and Mesa unloads its driver
    // before the leak check of a sanitizer build runs at exit: what the
    // driver kept then belongs to no library, and no suppression can name
    // it. That check is left out for this one program.
    const char* const sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string kept = sanitizer == nullptr ? "" : sanitizer;
    setenv("ASAN_OPTIONS", (kept + ":detect_leaks=0").c_str(), 1);
    RunningProgram program(command, testDisplay());
    if (sanitizer == nullptr) {
        unsetenv("ASAN_OPTIONS");
    } else {
        setenv("ASAN_OPTIONS", kept.c_str(), 1);
    }
    XConnection x(testDisplay());
    Window window = None;
    ASSERT_TRUE(findProgramWindow(x.get(), GetParam().startTimeout, window));
    ASSERT_GE(program.readLines(3, GetParam().startTimeout).size(), 3u);
    ASSERT_TRUE(askToClose(x.get(), window)) << "the window does not take WM_DELETE_WINDOW";
    // Wine takes a while to take a program down.
    const Milliseconds allowed = std::max(Milliseconds(5000), GetParam().startTimeout / 3);
    const std::optional<int> status = program.waitForExit(allowed);
    ASSERT_TRUE(status.has_value()) << "still running " << allowed.count() << " ms after its window was closed";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "status " << *status;
}

INSTANTIATE_TEST_SUITE_P(Builds, ProgramClose,
                         ::testing::Values(linuxProgram, windows64UnderWine, windows32UnderWine),
                         ::testing::PrintToStringParamName());

// The keys of a desktop entry's [Desktop Entry] group.
std::map<std::string, std::string> desktopEntry(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::map<std::string, std::string> keys;
    bool inGroup = false;
    std::string line;
    while (std::getline(file, line)) {
        const size_t equals = line.find('=');
        if (line.rfind('[', 0) == 0) {
            inGroup = line == "[Desktop Entry]";
        } else if (inGroup && equals != std::string::npos && line[0] != '#') {
            keys[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return keys;
}

// An entry's Exec split into arguments as desktops split it: at spaces,
// except inside double quotes, where a backslash takes the next character
// as it is.
std::vector<std::string> execArguments(const std::string& exec)
{
    std::vector<std::string> arguments;
    std::string argument;
    bool quoted = false;
    bool started = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        if (quoted && exec[i] == '\\' && i + 1 < exec.size()) {
            argument += exec[++i];
        } else if (exec[i] == '"') {
            quoted = !quoted;
            started = true;
        } else if (exec[i] == ' ' && !quoted) {
            if (started) {
                arguments.push_back(argument);
            }
            argument.clear();
            started = false;
        } else {
            argument += exec[i];
            started = true;
        }
    }
    if (started) {
        arguments.push_back(argument);
    }
    return arguments;
}

// The menu entry the package installed, as a desktop reads it: its Exec
// starts the program, whose window has the class its StartupWMClass names,
// and its Icon is Morvane's at every size in the icon theme.
class MenuEntryRun : public ProgramRun {};

TEST_P(MenuEntryRun, StartsTheProgramWhoseWindowAndIconItNames)
{
    const std::filesystem::path root = command[GetParam().launcher.count];
    std::map<std::string, std::string> entry = desktopEntry(root / "usr/share/applications/morvane.desktop");
    ASSERT_EQ(entry.count("Exec"), 1u) << "no menu entry that starts anything";
    std::vector<std::string> started(GetParam().launcher.begin(), GetParam().launcher.end());
    started.push_back(root.string());
    for (const std::string& argument : execArguments(entry["Exec"])) {
        started.push_back(argument);
    }
    RunningProgram program(started, testDisplay());
    XConnection x(testDisplay());
    Window window = None;
    ASSERT_TRUE(findProgramWindow(x.get(), GetParam().startTimeout, window));
    EXPECT_TRUE(waitUntil(GetParam().startTimeout, Milliseconds(100),
                          [&] { return windowClassOf(x.get(), window).second == entry["StartupWMClass"]; }))
        << "the window's class is " << windowClassOf(x.get(), window).second << ", the entry's StartupWMClass "
        << entry["StartupWMClass"];
    // The menu names it as its window is titled; started from there, its
    // trace goes nowhere (nobody reads it, and a desktop would keep it), and
    // no busy cursor waits for a startup notification it never sends.
    EXPECT_EQ(entry["Name"], seenTitle);
    EXPECT_TRUE(program.readLines(1, Milliseconds(1000)).empty()) << "the trace of a program started from the menu";
    EXPECT_EQ(entry["StartupNotify"], "false");

    for (const int size : iconSizes) {
        const std::string side = std::to_string(size);
        const std::filesystem::path icon =
            root / "usr/share/icons/hicolor" / (side + "x" + side) / "apps" / (entry["Icon"] + ".png");
        ASSERT_TRUE(std::filesystem::exists(icon)) << "the entry's icon is not in the theme: no " << icon;
        EXPECT_TRUE(readPng(icon.string()).rgb == morvaneIcon(size).rgb) << icon << " is not Morvane's icon";
    }
}

INSTANTIATE_TEST_SUITE_P(Builds, MenuEntryRun, ::testing::Values(installedPackage, emulatedPackage),
                         ::testing::PrintToStringParamName());

// Whatever becomes of the trace, the window keeps animating.
class ProgramOutputLost : public ::testing::TestWithParam<NamedCase<TraceOutput>> {};

TEST_P(ProgramOutputLost, KeepsAnimating)
{
    RunningProgram program(programCommand(linuxProgram), testDisplay(), GetParam().value);
    if (GetParam().value == TraceOutput::Pipe) {
        // Like `morvane | head -n 3`: the reader takes three lines and goes.
        ASSERT_GE(program.readLines(3, programStartTimeout).size(), 3u);
        program.closeTrace();
    }
    XConnection x(testDisplay());
    Window window = None;
    ASSERT_TRUE(findProgramWindow(x.get(), programStartTimeout, window));
    std::this_thread::sleep_for(Milliseconds(600));
    ASSERT_TRUE(program.running()) << "the program ended when its output went";

    // The frames that follow keep changing: no two ticks 300 ms apart look alike.
    for (int i = 0; i < 4; ++i) {
        const Image before = captureDrawable(x.get(), window);
        std::this_thread::sleep_for(Milliseconds(300));
        const Image after = captureDrawable(x.get(), window);
        EXPECT_NE(before.rgb, after.rgb) << "the window stopped changing";
    }
    EXPECT_TRUE(program.running());
}

INSTANTIATE_TEST_SUITE_P(Outputs, ProgramOutputLost,
                         ::testing::Values(NamedCase<TraceOutput>{"readerGone", TraceOutput::Pipe},
                                           NamedCase<TraceOutput>{"deviceFull", TraceOutput::DevFull}),
                         ::testing::PrintToStringParamName());

// Resized from outside, as a window manager would: the drawing stays
// 500 x 500 at the lower-left, the rest of the window is background, and the
// trace carries on.
TEST(ProgramResize, KeepsTheDrawingAnchoredAtTheLowerLeft)
{
    RunningProgram program(programCommand(linuxProgram), testDisplay());
    XConnection x(testDisplay());
    Window window = None;
    ASSERT_TRUE(findProgramWindow(x.get(), programStartTimeout, window));

    const std::pair<int, int> sizes[] = {{800, 700},  {300, 200},  {640, 500},
                                         {500, 260},  {1200, 900}, {windowWidth, windowHeight}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        XResizeWindow(x.get(), window, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XSync(x.get(), False);
        std::this_thread::sleep_for(Milliseconds(250));
        const WindowPlacement placement = placementOf(x.get(), window);
        ASSERT_EQ(placement.width, width);
        ASSERT_EQ(placement.height, height);
        EXPECT_GE(waitForExpectedFrame(program, x.get(), window,
                                       "resized-" + std::to_string(width) + "x" + std::to_string(height)),
                  0);
    }
    expectTraceFromTheStart(program.readLines(0, Milliseconds(0)));
    EXPECT_GT(program.lines().size(), 20u);
}

}  // namespace
