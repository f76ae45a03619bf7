#pragma once

// Instructions counted with valgrind's callgrind: the program against the
// baseline over the same ticks, and the share of them in the program's own
// code, function by function.
#include "sampling.h"

#include <filesystem>
#include <string>

// Runs both under callgrind for the given number of ticks after a warm-up
// and returns the report's part on what they executed. Its files go into
// the folder.
std::string countInstructions(const Subject& program, const Subject& baseline, int ticks,
                              const std::filesystem::path& folder, const std::string& display);
