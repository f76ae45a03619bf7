#pragma once

#include "image.h"

#include <string>
#include <vector>

// Writes black-and-white frames as a looping animated GIF, each frame shown
// for the given number of hundredths of a second. Other colours go to the
// nearer of the two.
void writeAnimatedGif(const std::string& path, const std::vector<Image>& frames, int delayCentiseconds);
