#pragma once

#include "deadline.h"

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// Where the child's standard output goes.
enum class TraceOutput { Pipe, DevFull };

// A program running as a child process with its standard output read
// through a pipe (or sent to /dev/full), stopped with SIGTERM (then
// SIGKILL) when destroyed.
class RunningProgram {
public:
    // The command is the program and its arguments. An empty display
    // starts it with no DISPLAY at all.
    RunningProgram(const std::vector<std::string>& command, const std::string& display,
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
