#include "running_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

RunningProgram::RunningProgram(const std::vector<std::string>& command, const std::string& display,
                               TraceOutput output, ErrorOutput errors)
{
    started_ = Clock::now();
    int fds[2] = {-1, -1};
    if (output == TraceOutput::Pipe && pipe(fds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        // Should this process end without stopping it, the child goes too.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (output == TraceOutput::Pipe) {
            close(fds[0]);
            dup2(fds[1], STDOUT_FILENO);
            close(fds[1]);
        } else if (output == TraceOutput::DevFull) {
            dup2(open("/dev/full", O_WRONLY), STDOUT_FILENO);
        }
        if (errors == ErrorOutput::Discarded) {
            dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        }
        // A child of a process that ignores SIGPIPE would inherit that; the
        // program must be seen starting from the default.
        signal(SIGPIPE, SIG_DFL);
        if (display.empty()) {
            unsetenv("DISPLAY");
        } else {
            setenv("DISPLAY", display.c_str(), 1);
        }
        std::vector<char*> argv;
        for (const std::string& a : command) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        dprintf(STDERR_FILENO, "cannot run %s\n", argv[0]);
        _exit(127);
    }
    if (output == TraceOutput::Pipe) {
        close(fds[1]);
        traceFd_ = fds[0];
    }
}

RunningProgram::~RunningProgram()
{
    closeTrace();
    if (pid_ > 0 && running()) {
        kill(pid_, SIGTERM);
        if (!waitForExit(Milliseconds(3000))) {
            kill(pid_, SIGKILL);
            waitForExit(Milliseconds(3000));
        }
    }
}

bool RunningProgram::running()
{
    if (status_) {
        return false;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = status;
        return false;
    }
    return true;
}

std::optional<int> RunningProgram::waitForExit(Milliseconds timeout)
{
    if (!waitUntil(timeout, Milliseconds(5), [this] { return !running(); })) {
        return std::nullopt;
    }
    return status_;
}

const std::vector<std::string>& RunningProgram::readLines(size_t count, Milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (traceFd_ >= 0) {
        const auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now());
        const int wait = lines_.size() >= count ? 0 : static_cast<int>(std::max<long>(0, left.count()));
        pollfd p{traceFd_, POLLIN, 0};
        if (poll(&p, 1, wait) <= 0) {
            if (lines_.size() >= count || left.count() <= 0) {
                break;
            }
            continue;
        }
        char buffer[4096];
        const ssize_t n = read(traceFd_, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        pending_.append(buffer, static_cast<size_t>(n));
        size_t newline;
        while ((newline = pending_.find('\n')) != std::string::npos) {
            lines_.push_back(pending_.substr(0, newline));
            arrivals_.push_back(Clock::now());
            pending_.erase(0, newline + 1);
        }
    }
    return lines_;
}

void RunningProgram::closeTrace()
{
    if (traceFd_ >= 0) {
        close(traceFd_);
        traceFd_ = -1;
    }
}

bool CompletedRun::succeeded() const
{
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

CompletedRun runToCompletion(const std::vector<std::string>& command, Milliseconds timeout,
                             const std::string& display)
{
    RunningProgram program(command, display);
    waitUntil(timeout, Milliseconds(0), [&] {
        program.readLines(program.lines().size() + 1, Milliseconds(50));
        return !program.running();
    });
    CompletedRun run;
    run.status = program.waitForExit(Milliseconds(0));
    run.lines = program.readLines(0, Milliseconds(0));
    return run;
}
