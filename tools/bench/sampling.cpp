#include "sampling.h"

#include "animation.h"
#include "running_program.h"
#include "x_window.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <stdexcept>

namespace {

using MillisecondsD = std::chrono::duration<double, std::milli>;

}  // namespace

double cpuSeconds(pid_t pid)
{
    // schedstat's first field is nanoseconds on a CPU.
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
            mappedMs = MillisecondsD(Clock::now() - program.started()).count();
        }
    }
    const double cpu = cpuSeconds(program.pid()) - cpuAtFirst;
    const double peakKb = statusKilobytes(program.pid(), "VmHWM");

    const auto& at = program.arrivals();
    std::vector<double> periods;
    for (size_t i = 1; i <= static_cast<size_t>(ticks); ++i) {
        periods.push_back(MillisecondsD(at[i] - at[i - 1]).count());
    }
    const double elapsed = std::chrono::duration<double>(at[static_cast<size_t>(ticks)] - at[0]).count();
    Figures figures{};
    figures.meanPeriod = mean(periods);
    figures.medianPeriod = median(periods);
    figures.period99 = percentile(periods, 99.0);
    figures.longestPeriod = *std::max_element(periods.begin(), periods.end());
    figures.cpuPerTick = cpu * 1000.0 / ticks;
    figures.coreShare = 100.0 * cpu / elapsed;
    figures.peakMemory = peakKb / 1024.0;
    figures.toFirstLine = MillisecondsD(at[0] - program.started()).count();
    figures.toWindowMapped = mappedMs;
    return figures;
}
