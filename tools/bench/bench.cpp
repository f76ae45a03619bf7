// Measures the real program against a minimal GLUT program that draws, both
// on the same private X server: tick period, CPU per tick, peak memory and
// start-up times, and with callgrind the share of instructions spent in the
// program's own code. A soak mode watches memory and period over minutes.
//
//   morvane_bench [--ticks N] [--rounds R] [--callgrind-ticks N] [--soak SECONDS] [--out FOLDER]
//                 [--baseline PROGRAM]
#include "animation/animation_tick.h"
#include "app/startup.h"
#include "common/child_process.h"
#include "common/x_server.h"
#include "common/x_window.h"

#include <signal.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Seconds = std::chrono::duration<double>;

struct Options {
    int ticks = 200;
    int rounds = 3;
    int callgrindTicks = 100;
    int soakSeconds = 0;
    std::filesystem::path out = "bench-results";
    std::string baseline = MORVANE_BASELINE;
};

struct Subject {
    std::string name;
    std::string path;
    std::string title;
};

// Seconds on a CPU, summed over every thread the process has (schedstat
// counts nanoseconds).
double cpuSeconds(pid_t pid)
{
    double total = 0.0;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream in(task.path() / "schedstat");
        double nanoseconds = 0.0;
        if (in >> nanoseconds) {
            total += nanoseconds;
        }
    }
    return total / 1e9;
}

// A field of /proc/PID/status in kB, such as VmHWM (peak resident memory).
double statusKilobytes(pid_t pid, const std::string& field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stod(line.substr(field.size() + 1));
        }
    }
    return 0.0;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

double median(std::vector<double> values)
{
    return percentile(std::move(values), 50.0);
}

double mean(const std::vector<double>& values)
{
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

const std::array<const char*, 9> figureNames{
    "tick period, mean (ms)",  "tick period, median (ms)", "tick period, 99th percentile (ms)",
    "tick period, max (ms)",   "CPU per tick (ms)",        "share of one core (%)",
    "peak resident memory (MB)", "start to first trace line (ms)", "start to window mapped (ms)",
};
using Figures = std::array<double, figureNames.size()>;

// Runs one program until it has printed ticks + 1 lines and measures it.
Figures measure(const Subject& subject, const std::string& display, int ticks)
{
    XConnection x(display);
    RunningProgram program({subject.path}, display);
    double mappedMs = -1.0;
    double cpuAtFirst = 0.0;
    const auto deadline = Clock::now() + std::chrono::seconds(30) + Milliseconds(ticks * 2 * tickPeriodMilliseconds);
    while (program.lines().size() < static_cast<size_t>(ticks) + 1) {
        if (Clock::now() > deadline || !program.running()) {
            throw std::runtime_error(subject.name + " stopped printing after " +
                                     std::to_string(program.lines().size()) + " lines");
        }
        const size_t before = program.lines().size();
        program.readLines(before + 1, Milliseconds(2));
        if (before == 0 && !program.lines().empty()) {
            cpuAtFirst = cpuSeconds(program.pid());
        }
        if (mappedMs < 0.0 && findViewableWindow(x.get(), subject.title) != None) {
            mappedMs = std::chrono::duration<double, std::milli>(Clock::now() - program.started()).count();
        }
    }
    const double cpu = cpuSeconds(program.pid()) - cpuAtFirst;
    const double peakKb = statusKilobytes(program.pid(), "VmHWM");

    const auto& at = program.arrivals();
    std::vector<double> periods;
    for (int i = 1; i <= ticks; ++i) {
        periods.push_back(std::chrono::duration<double, std::milli>(at[static_cast<size_t>(i)] - at[static_cast<size_t>(i) - 1]).count());
    }
    const double elapsed = Seconds(at[static_cast<size_t>(ticks)] - at[0]).count();
    return {mean(periods),
            median(periods),
            percentile(periods, 99.0),
            *std::max_element(periods.begin(), periods.end()),
            cpu * 1000.0 / ticks,
            100.0 * cpu / elapsed,
            peakKb / 1024.0,
            std::chrono::duration<double, std::milli>(at[0] - program.started()).count(),
            mappedMs};
}

std::string formatted(double value)
{
    std::ostringstream out;
    out << std::fixed << std::setprecision(value >= 100.0 ? 1 : 2) << value;
    return out.str();
}

void report(const Options& options, const std::vector<Figures>& program, const std::vector<Figures>& baseline)
{
    std::ostringstream text;
    std::ostringstream markdown;
    text << "Medians of " << program.size() << " alternating runs of " << options.ticks << " ticks each\n\n";
    text << std::left << std::setw(36) << "" << std::right << std::setw(12) << "morvane" << std::setw(12)
         << "baseline" << std::setw(10) << "ratio" << "\n";
    markdown << "| | morvane | baseline | ratio |\n|---|---:|---:|---:|\n";
    for (size_t f = 0; f < figureNames.size(); ++f) {
        std::vector<double> p;
        std::vector<double> b;
        for (const Figures& r : program) {
            p.push_back(r[f]);
        }
        for (const Figures& r : baseline) {
            b.push_back(r[f]);
        }
        const double pm = median(p);
        const double bm = median(b);
        const std::string ratio = bm > 0.0 ? formatted(pm / bm) : "-";
        text << std::left << std::setw(36) << figureNames[f] << std::right << std::setw(12) << formatted(pm)
             << std::setw(12) << formatted(bm) << std::setw(10) << ratio << "\n";
        markdown << "| " << figureNames[f] << " | " << formatted(pm) << " | " << formatted(bm) << " | " << ratio
                 << " |\n";
    }
    std::cout << "\n" << text.str();
    std::ofstream(options.out / "report.md") << "# morvane against the GLUT baseline\n\n"
                                             << "Medians of " << program.size() << " alternating runs of "
                                             << options.ticks << " ticks each.\n\n"
                                             << markdown.str();
    std::cout << "\n(also in " << (options.out / "report.md").string() << ")\n";
}

struct Profile {
    double total = 0.0;                          // all instructions counted
    double own = 0.0;                            // those in the program's own source files
    std::map<std::string, double> ownFunctions;  // file:function -> instructions
};

// Totals of a callgrind profile, from callgrind_annotate.
Profile annotate(const std::string& profilePath)
{
    const std::string annotated = profilePath + ".txt";
    const std::string command =
        "callgrind_annotate --inclusive=no --threshold=100 --auto=no '" + profilePath + "' > '" + annotated + "'";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("callgrind_annotate failed");
    }
    std::ifstream in(annotated);
    std::string line;
    Profile result;
    const std::string sources = std::string(MORVANE_SOURCE_DIR) + "/src/";
    while (std::getline(in, line) && line.rfind("-- Auto-annotated", 0) != 0) {
        std::istringstream fields(line);
        std::string count;
        if (!(fields >> count) || count.empty() || !std::isdigit(static_cast<unsigned char>(count[0]))) {
            continue;
        }
        count.erase(std::remove(count.begin(), count.end(), ','), count.end());
        const double instructions = std::stod(count);
        if (line.find("PROGRAM TOTALS") != std::string::npos) {
            result.total = instructions;
            continue;
        }
        // "N (P%)  FILE:FUNCTION [OBJECT]", FILE relative to the current
        // folder where it lies below it.
        const size_t start = line.find("%)");
        if (start == std::string::npos) {
            continue;
        }
        const std::string where = line.substr(line.find_first_not_of(' ', start + 2));
        const std::string file = where.substr(0, where.find(':'));
        const std::string absolute = std::filesystem::absolute(file).lexically_normal().string();
        if (absolute.rfind(sources, 0) == 0) {
            result.own += instructions;
            const std::string function = where.substr(where.find(':'));
            result.ownFunctions[absolute.substr(sources.size()) + function.substr(0, function.find(" ["))] +=
                instructions;
        }
    }
    return result;
}

constexpr size_t warmUpTicks = 20;

// Runs a program under callgrind for a warm-up of 20 ticks (the window's
// creation and the renderer's first compilation) and then the given number
// of ticks. Returns the instructions of those last ticks alone, in all
// threads.
// The counts are taken while the program runs, which leaves the functions
// on the stack at that moment with their callees' costs: only the totals
// are to be trusted.
double instructionsOverTicks(const Subject& subject, const Options& options, const std::string& display)
{
    const std::string output = (options.out / ("callgrind." + subject.name)).string();
    const auto control = [&](pid_t pid, const char* what) {
        const std::string command = "callgrind_control " + std::string(what) + " " + std::to_string(pid) + " > /dev/null";
        if (std::system(command.c_str()) != 0) {
            throw std::runtime_error("callgrind_control " + std::string(what) + " failed");
        }
    };
    RunningProgram valgrind({"/usr/bin/valgrind", "--tool=callgrind", "--callgrind-out-file=" + output,
                             "--log-file=" + output + ".log", subject.path},
                            display);
    const size_t wanted = warmUpTicks + static_cast<size_t>(options.callgrindTicks);
    valgrind.readLines(warmUpTicks, std::chrono::minutes(5));
    control(valgrind.pid(), "--zero");
    valgrind.readLines(wanted, std::chrono::minutes(10));
    control(valgrind.pid(), "--dump");
    if (valgrind.lines().size() < wanted) {
        throw std::runtime_error(subject.name + " under callgrind printed only " +
                                 std::to_string(valgrind.lines().size()) + " lines");
    }
    return annotate(output + ".1").total;
}

// The program's own instructions per tick: all of its code runs on the
// thread of the GLUT loop, which alone is counted here, from the loop's
// start to the end of the process.
Profile ownCodeOverTicks(const Options& options, const std::string& display, size_t* ticks)
{
    const std::string output = (options.out / "callgrind.morvane-loop").string();
    {
        RunningProgram valgrind({"/usr/bin/valgrind", "--tool=callgrind", "--callgrind-out-file=" + output,
                                 "--log-file=" + output + ".log", "--collect-atstart=no",
                                 "--toggle-collect=glutMainLoop", MORVANE_EXECUTABLE},
                                display);
        valgrind.readLines(warmUpTicks + static_cast<size_t>(options.callgrindTicks), std::chrono::minutes(10));
        kill(valgrind.pid(), SIGTERM);
        valgrind.waitForExit(std::chrono::minutes(2));
        *ticks = valgrind.lines().size();
    }
    return annotate(output);
}

void measureInstructions(const Options& options, const std::string& display, const Subject& program,
                         const Subject& baseline)
{
    const double mine = instructionsOverTicks(program, options, display);
    const double floor = instructionsOverTicks(baseline, options, display);
    size_t loopTicks = 0;
    const Profile loop = ownCodeOverTicks(options, display, &loopTicks);
    const double ownPerTick = loop.own / static_cast<double>(loopTicks);
    const double ticks = options.callgrindTicks;

    std::ostringstream text;
    text << std::fixed << "Instructions over " << options.callgrindTicks << " ticks under callgrind, all threads:\n"
         << std::setprecision(0) << "  morvane   " << mine << "  (" << mine / ticks << " a tick)\n"
         << "  baseline  " << floor << "  (" << floor / ticks << " a tick)" << std::setprecision(2) << "; ratio "
         << mine / floor << "\n"
         << std::setprecision(0) << "The program's own code: " << ownPerTick << " instructions a tick ("
         << loop.own << " over " << loopTicks << " ticks on the GLUT loop's thread), " << std::setprecision(4)
         << 100.0 * ownPerTick * ticks / mine << "% of all it executes:\n";
    for (const auto& [function, count] : loop.ownFunctions) {
        text << "    " << std::setw(10) << std::setprecision(0) << count << "  " << function << "\n";
    }
    std::cout << "\n" << text.str();
    std::ofstream(options.out / "report.md", std::ios::app) << "\n```\n" << text.str() << "```\n";
}

// Runs the program alone for a while, sampling resident memory once a cycle
// and recording every tick period.
void soak(const Options& options, const std::string& display)
{
    RunningProgram program({MORVANE_EXECUTABLE}, display);
    const auto end = Clock::now() + std::chrono::seconds(options.soakSeconds);
    std::vector<std::pair<double, double>> memory;  // seconds since start, MB resident
    auto nextSample = Clock::now();
    while (Clock::now() < end) {
        program.readLines(program.lines().size() + 1, Milliseconds(20));
        if (Clock::now() >= nextSample) {
            memory.emplace_back(Seconds(Clock::now() - program.started()).count(),
                                statusKilobytes(program.pid(), "VmRSS") / 1024.0);
            nextSample += Milliseconds(1900);
        }
        if (!program.running()) {
            throw std::runtime_error("the program ended during the soak");
        }
    }
    const auto& at = program.arrivals();
    const auto minuteMean = [&](double from, double to) {
        std::vector<double> periods;
        for (size_t i = 1; i < at.size(); ++i) {
            const double t = Seconds(at[i] - program.started()).count();
            if (t >= from && t < to) {
                periods.push_back(std::chrono::duration<double, std::milli>(at[i] - at[i - 1]).count());
            }
        }
        return periods.empty() ? 0.0 : mean(periods);
    };
    const double length = Seconds(at.back() - program.started()).count();
    double settled = 0.0;
    double highest = 0.0;
    for (const auto& [t, mb] : memory) {
        if (t >= 10.0 && settled == 0.0) {
            settled = mb;
        }
        if (t >= 10.0) {
            highest = std::max(highest, mb);
        }
    }
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << "Soak of " << options.soakSeconds << " s, " << at.size()
         << " ticks:\n"
         << "  resident memory at 10 s " << settled << " MB, highest after that " << highest << " MB, at the end "
         << memory.back().second << " MB\n"
         << "  mean tick period in the first minute " << minuteMean(0.0, 60.0) << " ms, in the last minute "
         << minuteMean(length - 60.0, length + 1.0) << " ms\n";
    std::cout << "\n" << text.str();
    std::ofstream(options.out / "soak.txt") << text.str();
    std::ofstream csv(options.out / "soak-memory.csv");
    csv << "seconds,resident_mb\n";
    for (const auto& [t, mb] : memory) {
        csv << t << "," << mb << "\n";
    }
}

Options parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                throw std::runtime_error(arg + " needs a value");
            }
            return argv[++i];
        };
        if (arg == "--ticks") {
            options.ticks = std::stoi(value());
        } else if (arg == "--rounds") {
            options.rounds = std::stoi(value());
        } else if (arg == "--callgrind-ticks") {
            options.callgrindTicks = std::stoi(value());
        } else if (arg == "--soak") {
            options.soakSeconds = std::stoi(value());
        } else if (arg == "--baseline") {
            options.baseline = value();
        } else if (arg == "--out") {
            options.out = value();
        } else {
            throw std::runtime_error("unknown option " + arg +
                                     " (options: --ticks N --rounds R --callgrind-ticks N --soak SECONDS --out FOLDER --baseline PROGRAM)");
        }
    }
    if (options.ticks < 2 || options.rounds < 1 || options.callgrindTicks < 0 || options.soakSeconds < 0) {
        throw std::runtime_error(
            "--ticks needs at least 2, --rounds at least 1, --callgrind-ticks and --soak at least 0");
    }
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const Options options = parse(argc, argv);
        std::filesystem::create_directories(options.out);
        PrivateXServer server;
        const Subject program{"morvane", MORVANE_EXECUTABLE, windowTitle};
        const Subject baseline{"baseline", options.baseline, "Baseline"};

        if (options.soakSeconds > 0) {
            soak(options, server.display());
            return 0;
        }
        std::vector<Figures> programRuns;
        std::vector<Figures> baselineRuns;
        for (int round = 1; round <= options.rounds; ++round) {
            std::cout << "round " << round << " of " << options.rounds << ": morvane" << std::flush;
            programRuns.push_back(measure(program, server.display(), options.ticks));
            std::cout << ", baseline" << std::flush;
            baselineRuns.push_back(measure(baseline, server.display(), options.ticks));
            std::cout << "\n";
        }
        report(options, programRuns, baselineRuns);
        if (options.callgrindTicks > 0) {
            measureInstructions(options, server.display(), program, baseline);
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "morvane_bench: " << e.what() << "\n";
        return 1;
    }
}
