#pragma once

#include "image.h"

#include <string>
#include <vector>

struct AnimatedGif {
    std::vector<Image> frames;
    std::vector<int> delays;  // hundredths of a second, one per frame
    bool loops = false;
};

// Writes black-and-white frames as a looping animated GIF, each frame shown
// for the given number of hundredths of a second. Other colours go to the
// nearer of the two.
void writeAnimatedGif(const std::string& path, const std::vector<Image>& frames, int delayCentiseconds);

// Reads every frame of a GIF whose frames each cover the whole picture.
AnimatedGif readAnimatedGif(const std::string& path);
