// Runs one command with DISPLAY set to a private virtual X server of its
// own, then stops the server. The command's exit status is passed on (128
// plus the signal's number if a signal ended it).
//
//   morvane_x_session COMMAND [ARGUMENTS...]
#include "x_server.h"

#include <sys/wait.h>

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
        RunningProgram command(std::vector<std::string>(argv + 1, argv + argc), server.display(),
                               TraceOutput::Inherited);
        std::optional<int> status;
        while (!status) {
            status = command.waitForExit(Milliseconds(60000));
        }
        return WIFSIGNALED(*status) ? 128 + WTERMSIG(*status) : WEXITSTATUS(*status);
    } catch (const std::exception& e) {
        std::cerr << "morvane_x_session: " << e.what() << "\n";
        return 1;
    }
}
