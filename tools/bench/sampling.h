#pragma once

// Measuring a running program from outside: its tick period, CPU time,
// memory and start-up times, read from its trace and from /proc.
#include <sys/types.h>

#include <array>
#include <string>
#include <vector>

// A program to measure, and the title of its window.
struct Subject {
    std::string name;
    std::string path;
    std::string title;
};

// Seconds on a CPU, summed over every thread of the process.
double cpuSeconds(pid_t pid);
// A field of /proc/PID/status in kB, such as VmHWM (peak resident memory).
double statusKilobytes(pid_t pid, const std::string& field);

double percentile(std::vector<double> values, double p);
double median(std::vector<double> values);
double mean(const std::vector<double>& values);

// What one run measures, in the order of the report's rows.
constexpr std::array<const char*, 9> figureNames{
    "tick period, mean (ms)",  "tick period, median (ms)", "tick period, 99th percentile (ms)",
    "tick period, max (ms)",   "CPU per tick (ms)",        "share of one core (%)",
    "peak resident memory (MB)", "start to first trace line (ms)", "start to window mapped (ms)",
};
using Figures = std::array<double, figureNames.size()>;

// Runs one program until it has printed ticks + 1 lines and measures it.
Figures measure(const Subject& subject, const std::string& display, int ticks);
