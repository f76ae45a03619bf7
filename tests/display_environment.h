#pragma once

#include <gtest/gtest.h>

#include <string>

// One private X server for the whole test process, started before the first
// test and stopped after the last; DISPLAY names it meanwhile.
class PrivateDisplayEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

// The display of that server.
const std::string& testDisplay();

// Leaves that server running until the process ends, for a window of this
// process whose GL libraries still talk to it on their way out.
void keepTestDisplayUntilExit();
