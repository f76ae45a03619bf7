#pragma once

#include "deadline.h"

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// Where the child's standard output goes: a pipe this process reads,
// /dev/full, or this process's own standard output.
enum class TraceOutput { Pipe, DevFull, Inherited };
// Where the child's standard error goes.
enum class ErrorOutput { Inherited, Discarded };

// A program running as a child process, with its standard output read line
// by line through a pipe (or sent elsewhere), stopped with SIGTERM (then
// SIGKILL) when destroyed, and in any case when this process ends.
class RunningProgram {
public:
    // The command is the program and its arguments. An empty display
    // starts it with no DISPLAY at all.
    RunningProgram(const std::vector<std::string>& command, const std::string& display,
                   TraceOutput output = TraceOutput::Pipe, ErrorOutput errors = ErrorOutput::Inherited);
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
    // Leaves the program running when this object goes, until this process
    // ends, for those that still need it on their way out.
    void keepUntilExit() { pid_ = -1; }

private:
    pid_t pid_ = -1;
    int traceFd_ = -1;
    std::optional<int> status_;
    std::string pending_;
    std::vector<std::string> lines_;
    std::vector<Clock::time_point> arrivals_;
    Clock::time_point started_;
};

// What a program that was run to its end printed, and how it ended.
struct CompletedRun {
    std::optional<int> status;  // nothing if it was stopped at the timeout
    std::vector<std::string> lines;
    // It ended by itself with status 0.
    bool succeeded() const;
};

// Runs a command to its end (stopping it after the timeout), reading its
// standard output meanwhile.
CompletedRun runToCompletion(const std::vector<std::string>& command, Milliseconds timeout,
                             const std::string& display = "");
