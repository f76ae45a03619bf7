#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

enum class TraceOutput { Pipe, DevFull };

inline void PrintTo(TraceOutput output, std::ostream* out)
{
    *out << (output == TraceOutput::Pipe ? "pipe" : "/dev/full");
}

// A program running as a child process with its standard output read
// through a pipe (or sent to /dev/full), stopped with SIGTERM (then
// SIGKILL) when destroyed.
class RunningProgram {
public:
    // An empty display starts it with no DISPLAY at all.
    RunningProgram(const std::string& path, const std::string& display, const std::vector<std::string>& args = {},
                   TraceOutput output = TraceOutput::Pipe);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // The exit status, or nothing if it is still running after the timeout.
    std::optional<int> waitForExit(Milliseconds timeout);

    // Reads what has arrived, waiting up to the timeout until at least
    // `count` complete lines have; returns all complete lines so far.
    const std::vector<std::string>& readLines(size_t count, Milliseconds timeout);
    const std::vector<std::string>& lines() const { return lines_; }
    // When each line was read, in step with lines().
    const std::vector<Clock::time_point>& arrivals() const { return arrivals_; }
    Clock::time_point started() const { return started_; }
    // Whatever followed the last newline.
    const std::string& partialLine() const { return pending_; }
    // Closes the reading end, as a reader that has had enough does.
    void closeTrace();

private:
    pid_t pid_ = -1;
    int traceFd_ = -1;
    std::optional<int> status_;
    std::string pending_;
    std::vector<std::string> lines_;
    std::vector<Clock::time_point> arrivals_;
    Clock::time_point started_;
};
