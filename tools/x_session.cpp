// Runs one command with DISPLAY set to a private virtual X server of its
// own, then stops the server. The command's exit status is passed on (128
// plus the signal's number if a signal ended it).
//
//   morvane_x_session COMMAND [ARGUMENTS...]
#include "common/x_server.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <stdexcept>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: morvane_x_session COMMAND [ARGUMENTS...]\n";
        return 2;
    }
    try {
        PrivateXServer server;
        const pid_t child = fork();
        if (child < 0) {
            throw std::runtime_error("fork failed");
        }
        if (child == 0) {
            setenv("DISPLAY", server.display().c_str(), 1);
            execvp(argv[1], argv + 1);
            std::cerr << "morvane_x_session: cannot run " << argv[1] << "\n";
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    } catch (const std::exception& e) {
        std::cerr << "morvane_x_session: " << e.what() << "\n";
        return 1;
    }
}
