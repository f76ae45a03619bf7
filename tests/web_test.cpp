// The page in a browser, worked as people work it: at device pixel ratios 1
// and 2, on a phone's screen, paused and played from the keyboard, started
// on a device that asks for reduced motion, with its WebGL context taken
// away and given back, hidden in a background tab and shown again, in
// Firefox, and with no WebGL or no JavaScript at all. Its trace and
// the pace of its ticks are also checked with the other builds' in
// program_test.cpp (copying the canvas out, as here, holds up the page's
// timers). The web test preset names the page in MORVANE_WEB_PAGE.
#include <gtest/gtest.h>

#include "animation.h"
#include "display_environment.h"
#include "expected_animation.h"
#include "icons.h"
#include "image.h"
#include "named_case.h"
#include "program_checks.h"
#include "program_runner.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// Firefox finds WebGL only on an X display.
const auto* const display = ::testing::AddGlobalTestEnvironment(new PrivateDisplayEnvironment);

// What the driver printed: the trace, how many of its lines had come when
// the driver did something ("# paused"), what the page said then, by what
// said it ("# button paused: Play", "# notice paused: "; the title has no
// event: "# title: Morvane"), and what it measured at the end ("# fact
// NAME VALUE").
struct PageReport {
    std::vector<std::string> trace;
    std::map<std::string, size_t> linesBefore;
    std::map<std::string, std::map<std::string, std::string>> says;
    std::map<std::string, double> facts;
};

PageReport runPage(const std::vector<std::string>& args, const std::string& folder)
{
    const std::vector<std::string> command = programCommand(pageInChromium, args);
    if (command.empty()) {
        ADD_FAILURE() << pageInChromium.buildVariable << " does not name the page";
        return {};
    }
    if (!folder.empty()) {
        std::filesystem::remove_all(folder);
    }
    const CompletedRun driver = runToCompletion(command, Milliseconds(90000), testDisplay());
    EXPECT_TRUE(driver.succeeded()) << "the page's driver failed";
    PageReport report;
    for (const std::string& line : driver.lines) {
        if (line.rfind("# fact ", 0) == 0) {
            std::istringstream fact(line.substr(7));
            std::string name;
            double value = 0;
            fact >> name >> value;
            report.facts[name] = value;
        } else if (line.rfind("# ", 0) == 0 && line.find(':') != std::string::npos) {
            const size_t colon = line.find(':');
            const std::string who = line.substr(2, colon - 2);
            const size_t space = who.find(' ');
            report.says[who.substr(0, space)][space == std::string::npos ? "" : who.substr(space + 1)] =
                colon + 2 <= line.size() ? line.substr(colon + 2) : "";
        } else if (line.rfind("# ", 0) == 0) {
            report.linesBefore[line.substr(2)] = report.trace.size();
        } else {
            report.trace.push_back(line);
        }
    }
    return report;
}

struct PageRun {
    const char* name;
    std::vector<std::string> args;  // the driver's, besides the page
    int ratio;
    bool narrow = false;  // a screen narrower than the picture and the trace side by side
};

void PrintTo(const PageRun& run, std::ostream* out)
{
    *out << run.name;
}

class PageRuns : public ::testing::TestWithParam<PageRun> {};

TEST_P(PageRuns, ShowsTheExactFramesAndTraceAndStaysQuiet)
{
    const PageRun& run = GetParam();
    const std::string name = std::string("page-") + run.name;
    const std::filesystem::path folder = std::filesystem::path(MORVANE_TEST_ARTIFACTS) / name;
    std::vector<std::string> args = {"--seconds", "5", "--scale", std::to_string(run.ratio), "--frames",
                                     folder.string()};
    args.insert(args.end(), run.args.begin(), run.args.end());
    const PageReport report = runPage(args, folder.string());
    ASSERT_FALSE(report.facts.empty()) << "the driver measured nothing";

    // Whatever happened on the way, the lines are one unbroken run of the
    // trace from its first line, never more than one a period.
    expectTraceFromTheStart(report.trace);
    EXPECT_GE(report.trace.size(), static_cast<size_t>(ticksPerCycle));
    EXPECT_GE(report.facts.at("shortest-gap-ms"), 0.9 * tickPeriodMilliseconds);
    const auto& events = report.linesBefore;
    // Held by the person (paused, then played) or by the browser (the tab
    // hidden, then shown): no line while held, and the next one a period
    // after the hold ends.
    struct Hold {
        const char* event;
        const char* linesWhileHeld;
        const char* gapAfter;
    };
    for (const Hold& hold : {Hold{"paused", "lines-between-first-clicks", "gap-after-last-click-ms"},
                             Hold{"hidden", "lines-while-hidden", "gap-after-shown-ms"}}) {
        if (events.count(hold.event)) {
            SCOPED_TRACE(hold.event);
            EXPECT_EQ(report.facts.at(hold.linesWhileHeld), 0) << "lines came while the page was held";
            EXPECT_GE(report.facts.at(hold.gapAfter), 0.9 * tickPeriodMilliseconds);
            EXPECT_LE(report.facts.at(hold.gapAfter), 3.0 * tickPeriodMilliseconds);
        }
    }
    const bool startedPaused = events.count("played") && !events.count("paused");
    if (startedPaused) {
        EXPECT_EQ(report.facts.at("lines-before-first-click"), 0) << "lines came before Play was pressed";
    }
    // The button names what pressing it does. The notice over the picture
    // says why it waits when it starts under reduced motion, and that the
    // trace goes on while the browser has taken the graphics away; at any
    // other time it says nothing.
    auto says = report.says;
    ASSERT_EQ(says["button"].count("start"), 1u) << "the driver did not read the button";
    for (const auto& [event, words] : says["button"]) {
        EXPECT_EQ(words, event == "paused" || (event == "start" && startedPaused) ? "Play" : "Pause")
            << "the button's words at " << event;
    }
    const std::map<std::string, std::string> noticeSays = {{"start", startedPaused ? "reduced motion" : ""},
                                                           {"context lost", "The trace goes on"}};
    for (const auto& [event, words] : says["notice"]) {
        const std::string wanted = noticeSays.count(event) ? noticeSays.at(event) : "";
        EXPECT_TRUE(wanted.empty() ? words.empty() : words.find(wanted) != std::string::npos)
            << "the notice at " << event << " says \"" << words << "\"";
    }
    // Whatever the notice says, it moves nothing: the trace stays where it
    // was at the start.
    for (const auto& [event, place] : says["trace-at"]) {
        EXPECT_EQ(place, says["trace-at"]["start"]) << "the trace panel moved at " << event;
    }
    // In a tab or a bookmark: the page's title, and Morvane's icon.
    EXPECT_EQ(says["title"][""], "Morvane");
    EXPECT_TRUE(readPng((folder / "favicon.png").string()).rgb == morvaneIcon(32).rgb) << "the favicon is not Morvane's";
    // The panel shows the trace newest first; fed 350 more lines, it keeps
    // the last 300 of them, the newest on top.
    EXPECT_EQ(report.facts.at("panel-shows-trace-newest-first"), 1);
    EXPECT_EQ(report.facts.at("panel-lines-after-feed"), 300);
    EXPECT_EQ(report.facts.at("panel-top-after-feed"), 1350);
    EXPECT_EQ(report.facts.at("panel-bottom-after-feed"), 1051);
    if (events.count("context lost")) {
        EXPECT_GE(events.at("context restored") - events.at("context lost"), 10u)
            << "the trace stopped while the context was lost";
    }

    // Someone reading older lines reaches the panel with Tab, scrolls it from
    // the keyboard, and keeps the line they read in view while ticks come.
    EXPECT_EQ(report.facts.at("panel-reached-by-tab"), 1);
    EXPECT_EQ(report.facts.at("panel-scrolled-by-keyboard"), 1);
    EXPECT_GE(report.facts.at("lines-while-reading"), 2);
    EXPECT_EQ(report.facts.at("line-read-kept-in-view"), 1) << "new lines moved the line being read";

    // On any screen: no sideways scrolling, the whole canvas in view, the
    // trace beside the picture or, on a narrow screen, below it, and the
    // picture described in words for a screen reader; and on load nothing
    // said on the console, nothing moved, the policy holds.
    EXPECT_EQ(report.facts.at("sideways-scroll"), 0);
    EXPECT_EQ(report.facts.at("canvas-outside-view"), 0);
    EXPECT_EQ(report.facts.at(run.narrow ? "trace-below-picture" : "trace-beside-picture"), 1);
    EXPECT_GT(report.facts.at("picture-label-words"), 10);
    EXPECT_EQ(report.facts.at("console-messages"), 0);
    EXPECT_EQ(report.facts.at("page-errors"), 0);
    EXPECT_EQ(report.facts.at("inline-script-blocked"), 1);
    EXPECT_EQ(report.facts.at("policy-violations-before-check"), 0);
    EXPECT_LT(report.facts.at("layout-shift"), 0.01);
    EXPECT_EQ(report.facts.at("pause-offered"), 1);

    // Each copy of the canvas shows the frame of a tick from a little before
    // the copy (drawing trails the trace) up to the last line printed. The
    // range is narrow, so a blank frame counts where a blank tick is in it;
    // the counts of each phase below catch a page that shows nothing. A
    // page that kept a lost context's blank canvas fails the frames after
    // its return.
    const int viewport = windowWidth * run.ratio;
    const size_t restored = events.count("context restored") ? events.at("context restored") : 0;
    std::ifstream index(folder / "frames.txt");
    std::string frame;
    long before = 0;
    long after = 0;
    CycleParts parts;
    int afterRestore = 0;
    while (index >> frame >> before >> after) {
        SCOPED_TRACE(frame);
        const Image shown = readPng((folder / frame).string());
        ASSERT_EQ(shown.width, viewport);
        ASSERT_EQ(shown.height, viewport);
        const long tick = expectFrameOfTicks(shown, before - frameLagTicks, after, Blank::Counts, name + "-" + frame, viewport);
        if (tick < 0) {
            continue;
        }
        parts.add(tick);
        if (restored > 0 && before > static_cast<long>(restored)) {
            ++afterRestore;
        }
    }
    expectBothPartsOfTheCycle(parts);
    if (restored > 0) {
        EXPECT_GT(afterRestore, 3) << "too few frames after the context came back";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageRuns,
    ::testing::Values(PageRun{"devicePixelRatio1", {}, 1}, PageRun{"devicePixelRatio2", {}, 2},
                      PageRun{"phone", {"--viewport", "320x568", "--reduced-motion"}, 2, true},
                      PageRun{"keyboardPause", {"--pause-at", "1.5"}, 1},
                      PageRun{"reducedMotion", {"--reduced-motion"}, 1},
                      PageRun{"contextLostAndRestored", {"--lose-context-at", "1.5"}, 1},
                      PageRun{"hiddenTab", {"--hide-at", "1.5"}, 1},
                      PageRun{"firefox", {"--browser", "firefox"}, 1}),
    ::testing::PrintToStringParamName());

// Where the browser lacks what the page needs (WebGL, in either browser, or
// JavaScript): said in words where the picture would be, with what to do
// about it; no pause button, nothing thrown; and without WebGL no picture
// for a screen reader to describe.
struct Lacking {
    const char* name;
    std::vector<std::string> args;  // the driver's
    std::vector<const char*> says;  // words the page shows
    bool pictureDescribed;
};

void PrintTo(const Lacking& lacking, std::ostream* out)
{
    *out << lacking.name;
}

class PageWithout : public ::testing::TestWithParam<Lacking> {};

TEST_P(PageWithout, SaysSoInsteadOfThePicture)
{
    PageReport report = runPage(GetParam().args, "");
    ASSERT_FALSE(report.facts.empty()) << "the driver measured nothing";
    const std::string text = report.says["text"]["end"];
    for (const char* words : GetParam().says) {
        EXPECT_NE(text.find(words), std::string::npos) << "the page says: " << text;
    }
    EXPECT_EQ(report.facts.at("picture-label-words") > 0, GetParam().pictureDescribed);
    EXPECT_EQ(report.facts.at("pause-offered"), 0);
    EXPECT_EQ(report.facts.at("page-errors"), 0);
    EXPECT_TRUE(report.trace.empty());
}

const std::vector<const char*> noWebGLWords = {"WebGL", "reload this page"};
INSTANTIATE_TEST_SUITE_P(
    Browsers, PageWithout,
    ::testing::Values(Lacking{"chromium", {"--no-webgl"}, noWebGLWords, false},
                      Lacking{"firefox", {"--no-webgl", "--browser", "firefox"}, noWebGLWords, false},
                      Lacking{"noJavaScript", {"--no-javascript"}, {"switch JavaScript on"}, true}),
    ::testing::PrintToStringParamName());

}  // namespace
