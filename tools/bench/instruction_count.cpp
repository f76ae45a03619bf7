#include "instruction_count.h"

#include "running_program.h"

#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>
#include <stdexcept>

namespace {

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
double instructionsOverTicks(const Subject& subject, int ticks, const std::filesystem::path& folder,
                             const std::string& display)
{
    const std::string output = (folder / ("callgrind." + subject.name)).string();
    const auto control = [&](pid_t pid, const char* what) {
        const std::string command = "callgrind_control " + std::string(what) + " " + std::to_string(pid) + " > /dev/null";
        if (std::system(command.c_str()) != 0) {
            throw std::runtime_error("callgrind_control " + std::string(what) + " failed");
        }
    };
    RunningProgram valgrind({"/usr/bin/valgrind", "--tool=callgrind", "--callgrind-out-file=" + output,
                             "--log-file=" + output + ".log", subject.path},
                            display);
    const size_t wanted = warmUpTicks + static_cast<size_t>(ticks);
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
Profile ownCodeOverTicks(int ticks, const std::filesystem::path& folder, const std::string& display, size_t* counted)
{
    const std::string output = (folder / "callgrind.morvane-loop").string();
    {
        RunningProgram valgrind({"/usr/bin/valgrind", "--tool=callgrind", "--callgrind-out-file=" + output,
                                 "--log-file=" + output + ".log", "--collect-atstart=no",
                                 "--toggle-collect=glutMainLoop", MORVANE_EXECUTABLE},
                                display);
        valgrind.readLines(warmUpTicks + static_cast<size_t>(ticks), std::chrono::minutes(10));
        kill(valgrind.pid(), SIGTERM);
        valgrind.waitForExit(std::chrono::minutes(2));
        *counted = valgrind.lines().size();
    }
    return annotate(output);
}

}  // namespace

std::string countInstructions(const Subject& program, const Subject& baseline, int ticks,
                              const std::filesystem::path& folder, const std::string& display)
{
    const double mine = instructionsOverTicks(program, ticks, folder, display);
    const double floor = instructionsOverTicks(baseline, ticks, folder, display);
    size_t loopTicks = 0;
    const Profile loop = ownCodeOverTicks(ticks, folder, display, &loopTicks);
    const double ownPerTick = loop.own / static_cast<double>(loopTicks);

    std::ostringstream text;
    text << std::fixed << "Instructions over " << ticks << " ticks under callgrind, all threads:\n"
         << std::setprecision(0) << "  morvane   " << mine << "  (" << mine / ticks << " a tick)\n"
         << "  baseline  " << floor << "  (" << floor / ticks << " a tick)" << std::setprecision(2) << "; ratio "
         << mine / floor << "\n"
         << std::setprecision(0) << "The program's own code: " << ownPerTick << " instructions a tick ("
         << loop.own << " over " << loopTicks << " ticks on the GLUT loop's thread), " << std::setprecision(4)
         << 100.0 * ownPerTick * ticks / mine << "% of all it executes:\n";
    for (const auto& [function, count] : loop.ownFunctions) {
        text << "    " << std::setw(10) << std::setprecision(0) << count << "  " << function << "\n";
    }
    return "```\n" + text.str() + "```\n";
}
