#include "x_server.h"

#include <stdexcept>

// Xvfb prints its display number on the given descriptor, here its
// standard output, once it accepts clients; what it says besides goes to
// its standard error, which nobody needs.
PrivateXServer::PrivateXServer()
    : xvfb_({"Xvfb", "-displayfd", "1", "-screen", "0", "1600x1200x24", "-nolisten", "tcp", "-noreset"}, "",
            TraceOutput::Pipe, ErrorOutput::Discarded)
{
    const std::vector<std::string>& lines = xvfb_.readLines(1, Milliseconds(20000));
    if (lines.empty()) {
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    display_ = ":" + lines.front();
    xvfb_.closeTrace();
}
