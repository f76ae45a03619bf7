#pragma once

// Reading back the pictures the tools write.
#include "common/image.h"

#include <string>
#include <vector>

// Reads an 8-bit RGB or RGBA PNG; throws if it cannot.
Image readPng(const std::string& path);

struct AnimatedGif {
    std::vector<Image> frames;
    std::vector<int> delays;  // hundredths of a second, one per frame
    bool loops = false;
};

// Reads every frame of a GIF whose frames each cover the whole picture.
AnimatedGif readAnimatedGif(const std::string& path);
