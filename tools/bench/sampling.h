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

// The smallest value that at least p percent of the values are no greater
// than (the nearest-rank percentile), for p above 0 and up to 100.
double percentile(std::vector<double> values, double p);
double median(std::vector<double> values);
double mean(const std::vector<double>& values);

// What one run measures.
struct Figures {
    double meanPeriod;      // ms between trace lines
    double medianPeriod;
    double period99;        // 99th percentile
    double longestPeriod;
    double cpuPerTick;      // ms
    double coreShare;       // % of one core
    double peakMemory;      // MB resident
    double toFirstLine;     // ms from the start
    double toWindowMapped;  // ms from the start, or -1 if never seen
};

// The report's rows, in order: each figure and what it is called.
struct FigureRow {
    const char* name;
    double Figures::*value;
};
constexpr std::array<FigureRow, 9> figureRows{{
    {"tick period, mean (ms)", &Figures::meanPeriod},
    {"tick period, median (ms)", &Figures::medianPeriod},
    {"tick period, 99th percentile (ms)", &Figures::period99},
    {"tick period, max (ms)", &Figures::longestPeriod},
    {"CPU per tick (ms)", &Figures::cpuPerTick},
    {"share of one core (%)", &Figures::coreShare},
    {"peak resident memory (MB)", &Figures::peakMemory},
    {"start to first trace line (ms)", &Figures::toFirstLine},
    {"start to window mapped (ms)", &Figures::toWindowMapped},
}};

// Runs one program until it has printed ticks + 1 lines and measures it.
Figures measure(const Subject& subject, const std::string& display, int ticks);
