#pragma once

#include <gtest/gtest.h>

#include "image.h"

// Starts a private X server and opens the program's own window in this test
// process, with the program's start-up code, then waits until it is exposed.
class ProgramWindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

// Draws a frame with the program's display callback and returns what the
// window then shows.
Image drawSceneAndCapture();
