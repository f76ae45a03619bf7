#pragma once

#include <gtest/gtest.h>

// Starts a private X server and opens the program's own window in this test
// process (see openProgramWindow).
class ProgramWindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};
