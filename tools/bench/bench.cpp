// Measures the real program against a minimal GLUT program that draws, both
// on the same private X server: tick period, CPU per tick, peak memory and
// start-up times (sampling.h), and with callgrind the share of instructions
// spent in the program's own code (instruction_count.h); the report
// (report.h) is printed and kept in OUT/report.md. A soak mode watches
// memory and period over minutes.
//
//   morvane_bench [--ticks N] [--rounds R] [--callgrind-ticks N] [--soak SECONDS] [--out FOLDER]
//                 [--baseline PROGRAM]
#include "animation.h"
#include "baseline.h"
#include "instruction_count.h"
#include "report.h"
#include "running_program.h"
#include "sampling.h"
#include "window.h"
#include "x_server.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <stdexcept>
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

// Runs the program alone for a while, sampling resident memory about once a
// cycle and recording every tick period.
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
            nextSample += Milliseconds(ticksPerCycle * tickPeriodMilliseconds);
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
    std::filesystem::remove(options.out / "soak.txt");
    publish(options.out / "soak.txt", text.str());
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
        const Subject baseline{"baseline", options.baseline, baselineTitle};

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
        const std::filesystem::path report = options.out / "report.md";
        std::ofstream(report) << "# morvane against the GLUT baseline\n";
        std::ostringstream medians;
        medians << "Medians of " << programRuns.size() << " alternating runs of " << options.ticks
                << " ticks each.\n\n"
                << figuresTable(programRuns, baselineRuns);
        publish(report, medians.str());
        if (options.callgrindTicks > 0) {
            publish(report, countInstructions(program, baseline, options.callgrindTicks, options.out,
                                              server.display()));
        }
        std::cout << "\n(also in " << report.string() << ")\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "morvane_bench: " << e.what() << "\n";
        return 1;
    }
}
